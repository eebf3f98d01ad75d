// Worked values of the per-pixel transform and the layout rules of its rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "EngineFixture.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformBlock.h"
#include "plugin/engine/TransformPaths.h"
#include "common/TestRandom.h"

namespace tavirel::test {
namespace {

using Triple = std::array<uint32_t, 3>;

Triple Run8(Triple in) {
    uint8_t px[3] = {uint8_t(in[0]), uint8_t(in[1]), uint8_t(in[2])};
    TransformRow8(px, px, 3, 1);
    return {px[0], px[1], px[2]};
}

Triple Run16(Triple in) {
    uint16_t px[3] = {uint16_t(in[0]), uint16_t(in[1]), uint16_t(in[2])};
    TransformRow16(px, px, 3, 1);
    return {px[0], px[1], px[2]};
}

using HueTransformTest = EngineTest;

TEST_F(HueTransformTest, DefaultSettings8) {
    EXPECT_EQ(Run8({255, 0, 0}), (Triple{64, 128, 128}));
    EXPECT_EQ(Run8({200, 60, 40}), (Triple{74, 118, 118}));
    EXPECT_EQ(Run8({250, 20, 200}), (Triple{189, 59, 177}));
    EXPECT_EQ(Run8({40, 200, 60}), (Triple{40, 200, 60}));
    EXPECT_EQ(Run8({0, 0, 0}), (Triple{1, 1, 1}));
    EXPECT_EQ(Run8({128, 128, 128}), (Triple{128, 128, 128}));
}

TEST_F(HueTransformTest, DefaultSettings16) {
    EXPECT_EQ(Run16({32768, 0, 0}), (Triple{8192, 16352, 16384}));
    EXPECT_EQ(Run16({20000, 8000, 4000}), (Triple{8115, 11659, 11384}));
    EXPECT_EQ(Run16({1000, 1000, 1000}), (Triple{992, 992, 992}));
    EXPECT_EQ(Run16({4000, 30000, 6000}), (Triple{4000, 30000, 6000}));
}

// With range 1 only hue index Hs has a weight, so the anchor colours show
// their hue index by whether they move with the source set on them.
TEST_F(HueTransformTest, AnchorHueIndices) {
    struct Anchor {
        Triple colour;
        int hue8, hue16;
    };
    const Anchor anchors[] = {{{200, 0, 0}, 0, 0},       {{200, 200, 0}, 255, 255}, {{0, 200, 0}, 510, 510},
                              {{0, 200, 200}, 766, 766}, {{0, 0, 200}, 1021, 1021}, {{200, 0, 200}, 1276, 1275}};
    for (const Anchor& a : anchors) {
        // Weight only at the expected index: the pixel moves exactly then.
        std::fill(std::begin(hueWeight), std::end(hueWeight), 0);
        hueWeight[a.hue8] = 65536;
        EXPECT_NE(Run8(a.colour), a.colour) << "8-bit hue " << a.hue8;
        hueWeight[a.hue8] = 0;
        EXPECT_EQ(Run8(a.colour), a.colour) << "8-bit hue " << a.hue8;
        const Triple c16{a.colour[0] * 128, a.colour[1] * 128, a.colour[2] * 128};
        hueWeight[a.hue16] = 65536;
        EXPECT_NE(Run16(c16), c16) << "16-bit hue " << a.hue16;
        hueWeight[a.hue16] = 0;
        EXPECT_EQ(Run16(c16), c16) << "16-bit hue " << a.hue16;
    }
}

TEST_F(HueTransformTest, GreysUnderFullWeight) {
    // Weight 65536 on hue 0, where every grey sits: 8-bit greys up to 127
    // lighten by one, 16-bit greys drop to the multiple of 32 below.
    for (uint32_t g = 0; g < 256; ++g)
        ASSERT_EQ(Run8({g, g, g}),
                  (Triple{(1020 * (g + 1) + 512) / 1024, (1020 * (g + 1) + 512) / 1024, (1020 * (g + 1) + 512) / 1024}))
            << g;
    for (uint32_t g = 0; g <= 32768; g += 7)
        ASSERT_EQ(Run16({g, g, g}), (Triple{g / 32 * 32, g / 32 * 32, g / 32 * 32})) << g;
    // A weight below 65536 rounds the 8-bit difference of one away.
    hueWeight[0] = 65535;
    for (uint32_t g = 0; g < 256; ++g) ASSERT_EQ(Run8({g, g, g}), (Triple{g, g, g})) << g;
    EXPECT_EQ(Run16({1000, 1000, 1000}), (Triple{992, 992, 992}));
}

TEST_F(HueTransformTest, FullWeightReachesTheReplacement) {
    std::fill(std::begin(hueWeight), std::end(hueWeight), 65536);
    // Destination 0 and 3600 (Hd 0 and 1531) give the same red replacement.
    destinationHueIndex = 0;
    const Triple at0 = Run8({30, 150, 220});
    const Triple at0wide = Run16({3000, 15000, 22000});
    destinationHueIndex = 1531;
    EXPECT_EQ(Run8({30, 150, 220}), at0);
    EXPECT_EQ(Run16({3000, 15000, 22000}), at0wide);
    EXPECT_GT(at0[0], at0[1]);
    EXPECT_EQ(at0[1], at0[2]);
    // Hd 255 interpolates green by 255, Hd 256 interpolates red by 254.
    destinationHueIndex = 255;
    const Triple y = Run8({0, 0, 255});
    destinationHueIndex = 256;
    const Triple y2 = Run8({0, 0, 255});
    EXPECT_EQ(y[0], y2[1]);  // top moves from red to green
    EXPECT_EQ(y[2], y2[2]);  // bottom stays blue
    EXPECT_LE(y2[0], y[1]);
}

TEST_F(HueTransformTest, ExtraSamplesKeepTheirContent) {
    std::vector<uint8_t> in8 = {255, 0, 0, 9, 200, 60, 40, 9, 5, 5, 5, 9};
    std::vector<uint8_t> out8(in8.size(), 0xA5);
    TransformRow8(in8.data(), out8.data(), 4, 3);
    EXPECT_EQ(out8[3], 0xA5);
    EXPECT_EQ(out8[7], 0xA5);
    EXPECT_EQ(out8[11], 0xA5);
    EXPECT_EQ((Triple{out8[0], out8[1], out8[2]}), (Triple{64, 128, 128}));
    EXPECT_EQ((Triple{out8[4], out8[5], out8[6]}), (Triple{74, 118, 118}));

    std::vector<uint16_t> in16 = {32768, 0, 0, 7, 7, 20000, 8000, 4000, 7, 7};
    std::vector<uint16_t> out16(in16.size() + 1, 0xBEEF);
    TransformRow16(in16.data(), out16.data(), 5, 2);
    EXPECT_EQ((Triple{out16[0], out16[1], out16[2]}), (Triple{8192, 16352, 16384}));
    EXPECT_EQ((Triple{out16[5], out16[6], out16[7]}), (Triple{8115, 11659, 11384}));
    for (size_t i : {3u, 4u, 8u, 9u, 10u}) EXPECT_EQ(out16[i], 0xBEEF) << i;
}

// Every path, on rows whose length is not a multiple of any block and whose
// pixels carry extra samples, in place and not: the same bits as the plain
// path, the extra samples untouched.
TEST_F(HueTransformTest, EveryPathKeepsTheRowLayout) {
    Rebuild([](FilterParameters& p) { p.range = 1000; });
    int count = 0;
    const TransformPath* paths = AvailableTransformPaths(&count);
    TestRandom random(44);
    for (int planes : {3, 4, 5}) {
        for (int pixels : {1, 7, 8, 9, 37}) {
            std::vector<uint8_t> in8(size_t(planes) * pixels);
            std::vector<uint16_t> in16(in8.size());
            for (auto& v : in8) v = uint8_t(random.UpTo(255));
            for (auto& v : in16) v = uint16_t(random.UpTo(32768));
            std::vector<uint8_t> plain8(in8.size(), 0xC3);
            std::vector<uint16_t> plain16(in16.size(), 0xC3C3);
            TransformRow8Plain(in8.data(), plain8.data(), planes, pixels);
            TransformRow16Plain(in16.data(), plain16.data(), planes, pixels);
            for (int k = 0; k < count; ++k) {
                std::vector<uint8_t> out8(in8.size(), 0xC3), same8 = in8;
                std::vector<uint16_t> out16(in16.size(), 0xC3C3), same16 = in16;
                paths[k].row8(in8.data(), out8.data(), planes, pixels);
                paths[k].row16(in16.data(), out16.data(), planes, pixels);
                paths[k].row8(same8.data(), same8.data(), planes, pixels);
                paths[k].row16(same16.data(), same16.data(), planes, pixels);
                EXPECT_EQ(out8, plain8) << paths[k].name << " planes " << planes << " pixels " << pixels;
                EXPECT_EQ(out16, plain16) << paths[k].name << " planes " << planes << " pixels " << pixels;
                for (size_t i = 0; i < in8.size(); ++i) {
                    const bool extra = int(i % size_t(planes)) >= 3;
                    ASSERT_EQ(same8[i], extra ? in8[i] : plain8[i]) << paths[k].name << " in place, sample " << i;
                    ASSERT_EQ(same16[i], extra ? in16[i] : plain16[i]) << paths[k].name << " in place, sample " << i;
                }
            }
        }
    }
}

TEST_F(HueTransformTest, SixteenBitStaysOnTheHostScale) {
    Rebuild([](FilterParameters& p) {
        p.destinationSaturation = 1000;
        p.destinationBrightness = 1000;
        p.range = 1000;
    });
    for (uint32_t hd : {0u, 200u, 600u, 900u, 1100u, 1400u, 1531u}) {
        destinationHueIndex = int32_t(hd);
        for (Triple c : {Triple{32768, 0, 0}, Triple{32768, 32768, 100}, Triple{1, 32768, 0}, Triple{32768, 31, 32}}) {
            const Triple out = Run16(c);
            const uint32_t max = std::max({c[0], c[1], c[2]});
            for (uint32_t v : out) ASSERT_LE(v, max) << hd;
        }
    }
}

TEST_F(HueTransformTest, BlocksWalkEveryRowWithTheirStrides) {
    // Two rows of three pixels, rows 16 bytes apart, planes 4, in place.
    uint8_t image[2 * 16];
    for (int i = 0; i < 32; ++i) image[i] = uint8_t(i % 4 == 3 ? 0x77 : (i % 16 < 12 ? 255 * (i % 4 == 0) : 0x55));
    uint8_t expected[2 * 16];
    std::copy(std::begin(image), std::end(image), expected);
    for (int row = 0; row < 2; ++row) TransformRow8(expected + 16 * row, expected + 16 * row, 4, 3);

    FilterRecord record{};
    record.planes = 4;
    record.outRect = {0, 0, 2, 3};
    record.inData = image;
    record.outData = image;
    record.inRowBytes = 16;
    record.outRowBytes = 16;
    TransformBlock8(&record);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(image[i], expected[i]) << i;

    uint16_t wide[2][7] = {{32768, 0, 0, 1, 2, 3, 4}, {20000, 8000, 4000, 5, 6, 7, 8}};
    record.planes = 3;
    record.outRect = {10, 20, 12, 21};
    record.inData = wide;
    record.outData = wide;
    record.inRowBytes = sizeof(wide[0]);
    record.outRowBytes = sizeof(wide[0]);
    TransformBlock16(&record);
    EXPECT_EQ((Triple{wide[0][0], wide[0][1], wide[0][2]}), (Triple{8192, 16352, 16384}));
    EXPECT_EQ((Triple{wide[1][0], wide[1][1], wide[1][2]}), (Triple{8115, 11659, 11384}));
    EXPECT_EQ(wide[0][3], 1);
}

}  // namespace
}  // namespace tavirel::test
