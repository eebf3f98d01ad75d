// A buffer that sits between no-access pages: its last byte is the last byte
// before a guard page, so any read or write past its end faults at once, and a
// guard page before it catches underruns beyond the page rounding.
#pragma once

#include <cstddef>

namespace filterhost {

class GuardedBuffer {
public:
    GuardedBuffer() = default;
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // Replaces the buffer; size 0 frees it. false when the system has no memory.
    bool Reset(size_t size);
    void* data() const { return data_; }
    size_t size() const { return size_; }

private:
    void Release();
    void* base_ = nullptr;
    void* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace filterhost
