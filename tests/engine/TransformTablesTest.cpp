// The run-time tables and the two static byte tables, entry by entry.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "plugin/engine/StaticTables.h"

namespace tavirel::test {
namespace {

using TransformTablesTest = EngineTest;

TEST_F(TransformTablesTest, DefaultSettings) {
    EXPECT_EQ(destinationHueIndex, 766);
    const std::pair<int, int> weights[] = {{0, 65536}, {1, 65534},    {100, 53671},  {200, 22372}, {255, 801},
                                           {256, 0},   {1530, 65534}, {1529, 65531}, {765, 0},     {766, 0}};
    for (auto [h, w] : weights) EXPECT_EQ(hueWeight[h], w) << "hue index " << h;
    EXPECT_EQ(saturationMap[0], 0);
    EXPECT_EQ(saturationMap[1], 1);
    EXPECT_EQ(saturationMap[3], 2);
    EXPECT_EQ(saturationMap[512], 256);
    EXPECT_EQ(saturationMap[1024], 512);
    EXPECT_EQ(brightnessFactor[0], 1024);
    EXPECT_EQ(brightnessFactor[1], 1023);
    EXPECT_EQ(brightnessFactor[512], 768);
    EXPECT_EQ(brightnessFactor[1024], 512);
}

TEST_F(TransformTablesTest, RangeEnds) {
    Rebuild([](FilterParameters& p) { p.range = 0; });
    for (int h = 0; h < kHueIndexCount; ++h) ASSERT_EQ(hueWeight[h], 0) << h;

    Rebuild([](FilterParameters& p) { p.range = 1; });
    EXPECT_EQ(hueWeight[0], 65536);
    for (int h = 1; h < kHueIndexCount; ++h) ASSERT_EQ(hueWeight[h], 0) << h;

    Rebuild([](FilterParameters& p) { p.range = 1000; });
    EXPECT_EQ(hueWeight[511], 401);
    EXPECT_EQ(hueWeight[512], 0);
    EXPECT_EQ(hueWeight[1020], 401);
    EXPECT_EQ(hueWeight[1019], 0);
}

TEST_F(TransformTablesTest, WeightsInsideTheBandArePositive) {
    Rebuild([](FilterParameters& p) {
        p.sourceHue = 1234;
        p.range = 777;
    });
    const int hs = (1234 * 1531 + 1800) / 3600, rg = (777 * 512 + 500) / 1000;
    for (int h = 0; h < kHueIndexCount; ++h) {
        int d = hs - h;
        if (d < -765)
            d += 1531;
        else if (d > 765)
            d -= 1531;
        d = d < 0 ? -d : d;
        if (d < rg)
            ASSERT_GT(hueWeight[h], 0) << h;
        else
            ASSERT_EQ(hueWeight[h], 0) << h;
    }
}

TEST_F(TransformTablesTest, SaturationSettings) {
    Rebuild([](FilterParameters& p) { p.sourceSaturation = 0; });
    for (int i = 0; i < kSaturationIndexCount; ++i) {
        ASSERT_EQ(saturationMap[i], 0) << i;
        ASSERT_EQ(brightnessFactor[i], 1024) << i;
    }
    Rebuild([](FilterParameters& p) { p.destinationSaturation = 0; });
    for (int i = 0; i < kSaturationIndexCount; ++i) ASSERT_EQ(saturationMap[i], 0) << i;

    // Ss = 512 and Sd = 1024; then Ss = 512 and Bd = 256.
    Rebuild([](FilterParameters& p) {
        p.sourceSaturation = 500;
        p.destinationSaturation = 1000;
    });
    EXPECT_EQ(saturationMap[256], 512);
    EXPECT_EQ(saturationMap[512], 1024);
    EXPECT_EQ(saturationMap[513], 1024);
    Rebuild([](FilterParameters& p) {
        p.sourceSaturation = 500;
        p.destinationBrightness = 250;
    });
    EXPECT_EQ(brightnessFactor[256], 640);
    EXPECT_EQ(brightnessFactor[512], 256);
    EXPECT_EQ(brightnessFactor[682], 1);
    EXPECT_EQ(brightnessFactor[683], 0);
}

TEST_F(TransformTablesTest, FullCircleHues) {
    int32_t atZero[kHueIndexCount];
    Rebuild([](FilterParameters& p) { p.range = 900; });
    std::copy(std::begin(hueWeight), std::end(hueWeight), atZero);
    Rebuild([](FilterParameters& p) {
        p.range = 900;
        p.sourceHue = 3600;
    });
    for (int h = 0; h < kHueIndexCount; ++h) ASSERT_EQ(hueWeight[h], atZero[h]) << h;

    Rebuild([](FilterParameters& p) { p.destinationHue = 3600; });
    EXPECT_EQ(destinationHueIndex, 1531);
    // With Hs = 0 the indices 765 and 766 are equally far: both at 765.
    Rebuild([](FilterParameters& p) {
        p.range = 1000;
        p.sourceHue = 0;
    });
    EXPECT_EQ(hueWeight[765], hueWeight[766]);
}

// Values outside their ranges (a record altered by hand) are clamped before
// use, so every table entry stays in range and every lookup inside its table.
TEST_F(TransformTablesTest, OutOfRangeSettingsAreClamped) {
    Rebuild([](FilterParameters& p) {
        p.sourceHue = -5;
        p.destinationHue = 99999;
        p.sourceSaturation = -1;
        p.destinationSaturation = 5000;
        p.destinationBrightness = -70000;
        p.range = 1 << 30;
    });
    EXPECT_EQ(destinationHueIndex, 1531);
    for (int i = 0; i < kSaturationIndexCount; ++i) {
        ASSERT_EQ(saturationMap[i], 0);
        ASSERT_EQ(brightnessFactor[i], 1024);
    }
    EXPECT_EQ(hueWeight[0], 65536);
    EXPECT_EQ(hueWeight[511], 401);
    EXPECT_EQ(hueWeight[512], 0);
    // The build reads the settings; it does not change them.
    EXPECT_EQ(currentParameters.destinationHue, 99999);
}

TEST(StaticTablesTest, EveryEntryFollowsItsRule) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            int q = a == 0 ? 0 : (b == 0 ? 255 : (255 * a + b / 2) / b);
            ASSERT_EQ(tavirel::Quotient(a, b), q > 255 ? 255 : q) << a << "/" << b;
            ASSERT_EQ(Proportion(a, b), (a * b + 127) / 255) << a << "*" << b;
            ASSERT_EQ(Proportion(a, b), Proportion(b, a));
        }
    }
}

}  // namespace
}  // namespace tavirel::test
