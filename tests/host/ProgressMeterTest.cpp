// The terminal progress bar's pacing and text: few drawings however often the
// plug-in reports, the full bar always, and counts far past 2^31 / 100.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "filterhost/lib/ProgressMeter.h"

namespace filterhost {
namespace {

TEST(ProgressMeterTest, DrawsAtMostTenTimesASecondAndTheEndOnce) {
    // 100000 reports over two seconds, as a plug-in reporting each row might.
    ProgressMeter meter;
    const int32_t total = 100000;
    int drawings = 0, endings = 0;
    std::string last;
    for (int32_t done = 0; done <= total + 5; ++done) {  // some plug-ins report the end more than once
        const std::string text = meter.Update(std::min(done, total), total, uint64_t(done) * 2000 / total);
        if (text.empty()) continue;
        ++drawings;
        endings += text.back() == '\n';
        last = text;
    }
    EXPECT_LE(drawings, 2 * 10 + 2);
    EXPECT_GE(drawings, 2 * 10 - 1);
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(last, ProgressMeter::Line(total, total) + "\n");
    EXPECT_EQ(meter.Finish(), "");

    // All at one instant: the first report and the end.
    meter.Reset();
    drawings = 0;
    for (int32_t done = 0; done <= 5000; ++done) drawings += !meter.Update(done, 5000, 7).empty();
    EXPECT_EQ(drawings, 2);
}

TEST(ProgressMeterTest, ARunStoppedShortEndsItsLine) {
    ProgressMeter meter;
    EXPECT_EQ(meter.Update(10, 100, 0), ProgressMeter::Line(10, 100));
    EXPECT_EQ(meter.Update(20, 100, 50), "");
    EXPECT_EQ(meter.Finish(), "\n");
    EXPECT_EQ(meter.Finish(), "");
    // Nothing drawn: nothing to end.
    meter.Reset();
    EXPECT_EQ(meter.Update(5, 0, 0), "");
    EXPECT_EQ(meter.Finish(), "");
    // A second pass after a full bar starts a new one.
    EXPECT_EQ(meter.Update(100, 100, 0), ProgressMeter::Line(100, 100) + "\n");
    EXPECT_EQ(meter.Update(1, 100, 500), ProgressMeter::Line(1, 100));
    EXPECT_EQ(meter.Finish(), "\n");
}

TEST(ProgressMeterTest, LinesCountIn64Bits) {
    const std::string empty = "\r[" + std::string(40, ' ') + "]   0%";
    const std::string full = "\r[" + std::string(40, '#') + "] 100%";
    EXPECT_EQ(ProgressMeter::Line(0, 100), empty);
    EXPECT_EQ(ProgressMeter::Line(100, 100), full);
    EXPECT_EQ(ProgressMeter::Line(INT32_MAX, INT32_MAX), full);
    EXPECT_EQ(ProgressMeter::Line(INT32_MAX / 2, INT32_MAX - 1),
              "\r[" + std::string(20, '#') + std::string(20, ' ') + "]  50%");
    // A 30000 x 30000 RGBA document counted in samples passes 2^31: a plug-in
    // reporting thousands of samples per unit still gives exact percentages.
    EXPECT_EQ(ProgressMeter::Line(2000000000, 2100000000),
              "\r[" + std::string(38, '#') + std::string(2, ' ') + "]  95%");
    EXPECT_EQ(ProgressMeter::Line(-5, 100), empty);
    EXPECT_EQ(ProgressMeter::Line(150, 100), full);
}

}  // namespace
}  // namespace filterhost
