// The colour sample's arithmetic: square, position, means, scaling, inversion.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/dialog/AboutPlacement.h"
#include "plugin/dialog/ZoomMarks.h"
#include "plugin/preview/SampleArithmetic.h"

namespace tavirel {
namespace {

TEST(SampleArithmeticTest, SquareShrinksForTinyImages) {
    EXPECT_EQ(SampleSquareFor(1, PreviewRect{0, 0, 100, 100}).size, 3);
    EXPECT_EQ(SampleSquareFor(1, PreviewRect{0, 0, 100, 100}).radius, 1);
    const SampleSquare two = SampleSquareFor(1, PreviewRect{0, 0, 2, 50});
    EXPECT_EQ(two.size, 2);
    EXPECT_EQ(two.radius, 1);
    const SampleSquare one = SampleSquareFor(1, PreviewRect{10, 10, 11, 90});
    EXPECT_EQ(one.size, 1);
    EXPECT_EQ(one.radius, 0);
}

TEST(SampleArithmeticTest, PositionMovesInwardsAtTheEdges) {
    const PreviewRect image{5, 7, 7 + 200, 5 + 100};
    const SampleSquare square{3, 1};
    // At 100 %: the first column gives the same square as the second, the last as the one before.
    const SamplePosition first = SamplePositionFor(7, 5, image, 1, square, 200, 100);
    const SamplePosition second = SamplePositionFor(8, 6, image, 1, square, 200, 100);
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(first.x, second.x);
    EXPECT_EQ(first.y, second.y);
    const SamplePosition last = SamplePositionFor(7 + 199, 5 + 99, image, 1, square, 200, 100);
    const SamplePosition beforeLast = SamplePositionFor(7 + 198, 5 + 98, image, 1, square, 200, 100);
    EXPECT_EQ(last.x, 197);
    EXPECT_EQ(last.x, beforeLast.x);
    EXPECT_EQ(last.y, beforeLast.y);
    // At zoomIn 4 every display pixel of one image pixel gives the same square.
    const PreviewRect big{0, 0, 800, 400};
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx) {
            const SamplePosition p = SamplePositionFor(4 * 50 + dx, 4 * 20 + dy, big, 4, square, 200, 100);
            EXPECT_EQ(p.x, 49);
            EXPECT_EQ(p.y, 19);
        }
    // An image narrower than the square: full size - s is negative and wins.
    // Below 0 is clamped first, so only a start of 0 or more meets the other bound.
    EXPECT_EQ(SamplePositionFor(0, 0, PreviewRect{0, 0, 2, 40}, 1, SampleSquare{2, 1}, 1, 40).x, 0);
    EXPECT_EQ(SamplePositionFor(1, 0, PreviewRect{0, 0, 2, 40}, 1, SampleSquare{2, 1}, 1, 40).x, -1);
}

TEST(SampleArithmeticTest, MeansOfUniformAndMixedSquares) {
    // A uniform 8-bit (200, 100, 0) square, three planes.
    std::vector<uint8_t> pixels(3 * 3 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = 200;
        pixels[i + 1] = 100;
        pixels[i + 2] = 0;
    }
    const SampleSquare square{3, 1};
    const uint32_t expected[3] = {25700, 12850, 0};
    for (int plane = 0; plane < 3; ++plane)
        EXPECT_EQ(HostScaleFrom8(SquareMean(pixels.data(), 9, 3, plane, square, 8)), expected[plane]);
    // The reciprocals are rounded down, so a row of (1, 2, 2) gives
    // (6 x 2796202) >> 23 = 1, not the 2 that 5 / 3 rounds to; full rows are exact.
    const uint8_t mixed[9] = {1, 2, 2, 1, 2, 2, 1, 2, 2};
    EXPECT_EQ(SquareMean(mixed, 3, 1, 0, square, 8), 1u);
    const uint8_t full[9] = {255, 255, 255, 200, 200, 200, 255, 255, 255};
    EXPECT_EQ(SquareMean(full, 3, 1, 0, square, 8), (255u + 200 + 255 + 1) / 3);
    // 16 bits: rows 32767 ((98305 x 21845) >> 16), 0 and 0, then (32767 + 1) / 3.
    const uint16_t wide[9] = {32768, 32768, 32768, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(SquareMean(wide, 6, 1, 0, square, 16), 10922u);
    // An even square averages only its own samples: nothing past column 1 is read.
    const uint8_t evenRows[2 * 3] = {10, 20, 255, 30, 40, 255};
    EXPECT_EQ(SquareMean(evenRows, 3, 1, 0, SampleSquare{2, 1}, 8), (15u + 35u + 1u) / 2);
    const uint8_t single[1] = {77};
    EXPECT_EQ(SquareMean(single, 1, 1, 0, SampleSquare{1, 0}, 8), 77u);
}

TEST(SampleArithmeticTest, ScalingAndInversion) {
    EXPECT_EQ(HostScaleFrom8(0), 0u);
    EXPECT_EQ(HostScaleFrom8(128), 16448u);
    EXPECT_EQ(HostScaleFrom8(255), 32768u);
    int32_t rgba[4] = {100, 200, 300, 1000};
    InvertSampleEntries(rgba, 4, 3);
    EXPECT_EQ(rgba[0], 100);
    EXPECT_EQ(rgba[3], 32768 - 1000);
    int32_t grey[2] = {5, 6};
    InvertSampleEntries(grey, 2, 1);
    EXPECT_EQ(grey[0], 32763);
    EXPECT_EQ(grey[1], 32762);
    const bool inverted[16] = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0};
    for (int mode = 0; mode < 16; ++mode) EXPECT_EQ(ModeIsInverted(mode), inverted[mode]) << mode;
    EXPECT_FALSE(ModeIsInverted(-1));
    EXPECT_FALSE(ModeIsInverted(99));
    // 25 planes: only the 24 entries the arrays hold are touched.
    std::vector<int32_t> many(25, 0);
    InvertSampleEntries(many.data(), 25, 3);
    EXPECT_EQ(many[23], 32768);
    EXPECT_EQ(many[24], 0);
    EXPECT_EQ(BoundedSamplePlanes(25), 24);
    EXPECT_EQ(BoundedSamplePlanes(3), 3);
}

bool operator==(const SystemRect& a, const SystemRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DialogPlacementTest, AboutBoxAndZoomMarks) {
    const AboutOffset at = AboutBoxPosition(1024, 768, 8, 30);
    EXPECT_EQ(at.x, 306);
    EXPECT_EQ(at.y, 202);
    EXPECT_EQ(AboutBoxOffset(424, 252).x, -1);
    EXPECT_EQ(AboutBoxOffset(400, 100).y, -50);  // truncated towards zero
    // The buttons at 96, 120, 144 and 192 DPI (10 template units 16, 20,
    // 25 and 32 pixels high with MS Sans Serif 8): the side, and the minus
    // (from, to exclusive, its rows) and the plus (its columns, from, to).
    const struct {
        int32_t templateHeight, side, from, to, top, bottom;
    } sizes[] = {{16, 14, 3, 10, 6, 7}, {20, 18, 3, 13, 8, 9}, {25, 22, 4, 16, 10, 12}, {32, 28, 6, 20, 13, 15}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.templateHeight);
        EXPECT_EQ(ZoomButtonSide(s.templateHeight), s.side);
        const SystemRect minus = MinusMark({0, 0, s.side, s.side}), plus = PlusMark({0, 0, s.side, s.side});
        EXPECT_TRUE((minus == SystemRect{s.from, s.top, s.to, s.bottom}));
        EXPECT_TRUE((plus == SystemRect{s.top, s.from, s.bottom, s.to}));
    }
    // Not square: the minus follows the width and is as thick as the height allows.
    const SystemRect odd = MinusMark({0, 0, 21, 9});
    EXPECT_EQ(odd.top, 4);
    EXPECT_EQ(odd.bottom, 5);
    EXPECT_EQ(odd.left, 4);
    EXPECT_EQ(odd.right, 15);
}

}  // namespace
}  // namespace tavirel
