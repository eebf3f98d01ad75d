// The terminal progress bar: its text, and when to draw it. A console under
// Wine turns every character written into a cursor update of its own, and a
// plug-in reports progress thousands of times a run, so a bar redrawn at each
// report cost more than the filtering (a large run took several times as
// long). It is drawn at most ten times a second, and once more at the end.
#pragma once

#include <cstdint>
#include <string>

namespace filterhost {

class ProgressMeter {
public:
    static constexpr uint64_t kIntervalMs = 100;

    // A new run: the next report draws at once.
    void Reset() { *this = ProgressMeter(); }

    // What to write for a report at nowMs (milliseconds on a steady clock):
    // the redrawn bar, or "" when the last drawing is less than kIntervalMs
    // old. The first report with done >= total is always drawn, and ends the
    // line.
    std::string Update(int32_t done, int32_t total, uint64_t nowMs);

    // The line's end, when a bar is drawn and the run stopped short of its
    // total; else "".
    std::string Finish();

    // One drawing, from the start of the line: "\r[####...    ]  42%".
    static std::string Line(int32_t done, int32_t total);

private:
    bool drawn_ = false;     // a drawing has been made in this run
    bool lineOpen_ = false;  // the cursor stands at the end of a bar
    bool complete_ = false;  // the full bar has been drawn
    uint64_t lastMs_ = 0;
};

}  // namespace filterhost
