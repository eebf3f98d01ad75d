// Progress in samples, counted in 64 bits and reported in 32.
//
// progressProc takes int32 done and total, but a selection of 30000 x 30000
// pixels with 4 planes holds 3.6e9 samples. Both numbers are shifted right by
// the same amount, the smallest that brings the total within int32, so the
// host sees their ratio unchanged (to within one part in 2^30) and done
// reaches total exactly when the last tile is counted. Below 2^31 samples
// nothing is shifted and the figures are the plain counts.
#pragma once

#include <cstdint>

namespace tavirel {

class ProgressCount {
public:
    explicit ProgressCount(int64_t total) : total_(total < 0 ? 0 : total) {
        while ((total_ >> shift_) > INT32_MAX) ++shift_;
    }
    void Add(int64_t samples) { done_ += samples; }
    int32_t done() const { return int32_t((done_ < total_ ? done_ : total_) >> shift_); }
    int32_t total() const { return int32_t(total_ >> shift_); }

private:
    int64_t total_;
    int64_t done_ = 0;
    int shift_ = 0;
};

}  // namespace tavirel
