#include "ProgressMeter.h"

#include <algorithm>

namespace filterhost {

std::string ProgressMeter::Update(int32_t done, int32_t total, uint64_t nowMs) {
    if (total <= 0) return {};
    if (done >= total) {
        if (complete_) return {};
        complete_ = true;
        lineOpen_ = false;
        drawn_ = true;
        lastMs_ = nowMs;
        return Line(done, total) + "\n";
    }
    // A plug-in that starts a second pass after a full bar gets a new line.
    complete_ = false;
    if (drawn_ && nowMs - lastMs_ < kIntervalMs) return {};
    drawn_ = true;
    lineOpen_ = true;
    lastMs_ = nowMs;
    return Line(done, total);
}

std::string ProgressMeter::Finish() {
    if (!lineOpen_) return {};
    lineOpen_ = false;
    return "\n";
}

std::string ProgressMeter::Line(int32_t done, int32_t total) {
    constexpr int kWidth = 40;
    // In 64 bits: done × 100 passes 2^31 once done passes 21 million samples.
    const int64_t part = std::clamp<int64_t>(done, 0, total > 0 ? total : 0);
    const int64_t whole = total > 0 ? total : 1;
    const int filled = int(part * kWidth / whole);
    const int percent = int(part * 100 / whole);
    std::string line = "\r[";
    line.append(size_t(filled), '#');
    line.append(size_t(kWidth - filled), ' ');
    line += "] ";
    const std::string number = std::to_string(percent);
    line.append(3 - number.size(), ' ');
    return line + number + "%";
}

}  // namespace filterhost
