// Swatch colours and picked colours, worked values and whole-range rules.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "EngineFixture.h"
#include "plugin/engine/ColourConversions.h"

namespace tavirel::test {
namespace {

using Triple = std::array<uint32_t, 3>;

Triple Rgb8(uint16_t h, uint16_t s, uint16_t v) {
    const EngineHsb record{h, s, v};
    uint8_t out[3] = {};
    HsbToRgb8(&record, out, 3, 1);
    return {out[0], out[1], out[2]};
}

Triple Hsb(uint16_t r, uint16_t g, uint16_t b) {
    const uint16_t in[3] = {r, g, b};
    uint16_t out[3] = {};
    RgbToHsb(in, 3, out, 3, 1);
    return {out[0], out[1], out[2]};
}

TEST(HsbToRgb8Test, WorkedValues) {
    EXPECT_EQ(Rgb8(0, 1024, 1024), (Triple{255, 0, 0}));
    EXPECT_EQ(Rgb8(255, 1024, 1024), (Triple{255, 255, 0}));
    EXPECT_EQ(Rgb8(765, 1024, 1024), (Triple{0, 255, 255}));
    EXPECT_EQ(Rgb8(1530, 1024, 1024), (Triple{255, 0, 0}));
    for (uint16_t h : {0, 400, 1530})
        for (uint16_t s : {0, 512, 1024}) EXPECT_EQ(Rgb8(h, s, 0), (Triple{0, 0, 0}));
    for (uint16_t v = 0; v <= 1024; ++v) {
        const uint32_t grey = (255u * v + 512) / 1024;
        ASSERT_EQ(Rgb8(700, 0, v), (Triple{grey, grey, grey})) << v;
    }
}

TEST(HsbToRgb8Test, StridesCountAndBounds) {
    // Every channel lies in bottom..top for every hue.
    for (uint16_t h = 0; h <= 1530; ++h) {
        const Triple c = Rgb8(h, 700, 900);
        const uint32_t top = (255 * 900 + 512) / 1024;
        const uint32_t bottom = (255u * (1024 - 700) * 900 + 524288) / 1048576;
        for (uint32_t v : c) {
            ASSERT_LE(v, top) << h;
            ASSERT_GE(v, bottom) << h;
        }
    }
    const EngineHsb records[2] = {{0, 1024, 1024}, {510, 1024, 1024}};
    uint8_t out[10];
    std::fill(std::begin(out), std::end(out), 0xEE);
    HsbToRgb8(records, out, 5, 2);
    EXPECT_EQ((std::vector<uint8_t>(out, out + 10)),
              (std::vector<uint8_t>{255, 0, 0, 0xEE, 0xEE, 0, 255, 0, 0xEE, 0xEE}));
    HsbToRgb8(records, out, 5, 0);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[3], 0xEE);
}

using SettingColourTest = EngineTest;

TEST_F(SettingColourTest, DefaultSwatches) {
    const Rgb16 source = SettingColourToRgb16(kSourceColour);
    EXPECT_EQ((Triple{source.red, source.green, source.blue}), (Triple{65535, 0, 0}));
    const Rgb16 destination = SettingColourToRgb16(kDestinationColour);
    EXPECT_EQ((Triple{destination.red, destination.green, destination.blue}), (Triple{16448, 32896, 32896}));
    // Any colour other than 1 is the Source.
    const Rgb16 other = SettingColourToRgb16(7);
    EXPECT_EQ(other.red, 65535);
}

TEST_F(SettingColourTest, SourceBrightnessShowsInTheSwatch) {
    Rebuild([](FilterParameters& p) { p.sourceBrightness = 500; });
    const Rgb16 source = SettingColourToRgb16(kSourceColour);
    EXPECT_EQ(source.red, 257u * ((255 * 512 + 512) / 1024));
    EXPECT_EQ(source.red % 257, 0);
}

TEST(RgbToHsbTest, WorkedValues) {
    EXPECT_EQ(Hsb(32768, 0, 0), (Triple{0, 32768, 32768}));
    EXPECT_EQ(Hsb(32768, 32768, 0)[0], 5461u);
    EXPECT_EQ(Hsb(12345, 12345, 12345), (Triple{0, 0, 12345}));
    EXPECT_EQ(Hsb(0, 0, 0), (Triple{0, 0, 0}));
    // Green, cyan, blue, magenta at their sixths of the turn.
    EXPECT_EQ(Hsb(0, 32768, 0)[0], (65536u + 3) / 6);
    EXPECT_EQ(Hsb(0, 32768, 32768)[0], (98304u + 3) / 6);
    EXPECT_EQ(Hsb(0, 0, 32768)[0], (131072u + 3) / 6);
    EXPECT_EQ(Hsb(32768, 0, 32768)[0], (163840u + 3) / 6);
    // Just below red on the circle comes close to a full turn.
    EXPECT_EQ(Hsb(32768, 0, 1)[0], (196608u - 1 + 3) / 6);
}

TEST(RgbToHsbTest, Strides) {
    const uint16_t in[8] = {32768, 0, 0, 99, 0, 32768, 0, 99};
    uint16_t out[8];
    std::fill(std::begin(out), std::end(out), 0xABCD);
    RgbToHsb(in, 4, out, 4, 2);
    EXPECT_EQ((std::vector<uint16_t>(out, out + 8)),
              (std::vector<uint16_t>{0, 32768, 32768, 0xABCD, 10923, 32768, 32768, 0xABCD}));
    RgbToHsb(in, 4, out, 4, 0);
    EXPECT_EQ(out[3], 0xABCD);
}

TEST(SampledHsbToSettingsTest, RoundsHalfUp) {
    const SettingsColour red = SampledHsbToSettings(0, 32768, 32768);
    EXPECT_EQ((Triple{uint32_t(red.hue), uint32_t(red.saturation), uint32_t(red.brightness)}), (Triple{0, 1000, 1000}));
    // 16384 + 16384 of 32768 is exactly a half: up.
    EXPECT_EQ(SampledHsbToSettings(32768, 16384, 16384).hue, 3600);
    EXPECT_EQ(SampledHsbToSettings(5461, 0, 0).hue, (5461 * 3600 + 16384) / 32768);
    EXPECT_EQ(SampledHsbToSettings(0, 0, 1).brightness, 0);
    EXPECT_EQ(SampledHsbToSettings(0, 17, 0).saturation, 1);
}

}  // namespace
}  // namespace tavirel::test
