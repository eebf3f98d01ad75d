// Display pixels from delivered samples: replication at every factor and
// phase against a plain reference, the 16-bit reduction, and the source
// rectangle and phases of a tile.
#include <gtest/gtest.h>

#include <vector>

#include "common/TestRandom.h"
#include "plugin/preview/PreviewPipeline.h"
#include "plugin/preview/TileExpansion.h"

namespace tavirel {
namespace {

// Display pixel (x, y) shows source pixel ((x + z - pc) / z, (y + z - pr) / z).
template <typename Sample>
std::vector<uint8_t> ReferenceExpansion(const std::vector<Sample>& source, int sourceWidth, int planes,
                                        const Replication& r, int width, int height) {
    std::vector<uint8_t> out(size_t(width) * height * planes);
    const int z = int(r.factor);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < planes; ++k) {
                const int sx = (x + z - r.columnPhase) / z, sy = (y + z - r.rowPhase) / z;
                const uint32_t v = source[(size_t(sy) * sourceWidth + sx) * planes + k];
                out[(size_t(y) * width + x) * planes + k] = sizeof(Sample) == 2 ? DisplayByteFrom16(v) : uint8_t(v);
            }
    return out;
}

template <typename Sample>
void CheckEveryLayout(uint32_t limit, uint64_t seed) {
    test::TestRandom random(seed);
    for (int planes : {1, 2, 3, 4, 5}) {
        for (uint32_t z = 1; z <= 16; ++z) {
            for (int pc = 1; pc <= int(z); pc += (z > 4 ? 3 : 1)) {
                const int pr = 1 + int(random.UpTo(z - 1));
                const int width = 1 + int(random.UpTo(70)), height = 1 + int(random.UpTo(40));
                // Exactly the source pixels the tile needs: one for the phase, then one per z.
                const int sourceWidth = 1 + (width - pc + int(z) - 1) / int(z);
                const int sourceHeight = 1 + (height - pr + int(z) - 1) / int(z);
                std::vector<Sample> source(size_t(sourceWidth) * sourceHeight * planes);
                for (Sample& s : source) s = Sample(random.UpTo(limit));
                const int32_t destinationRowBytes = planes * 256;
                std::vector<uint8_t> shown(size_t(destinationRowBytes) * height, 0xEE);
                const Replication r{z, pc, pr};
                if constexpr (sizeof(Sample) == 2)
                    ExpandTile16(source.data(), sourceWidth * planes * 2, shown.data(), destinationRowBytes, r, planes,
                                 width, height);
                else
                    ExpandTile8(source.data(), sourceWidth * planes, shown.data(), destinationRowBytes, r, planes,
                                width, height);
                const std::vector<uint8_t> expected = ReferenceExpansion(source, sourceWidth, planes, r, width, height);
                for (int y = 0; y < height; ++y) {
                    const uint8_t* row = shown.data() + size_t(y) * destinationRowBytes;
                    ASSERT_TRUE(std::equal(row, row + width * planes, expected.begin() + size_t(y) * width * planes))
                        << planes << " planes, z " << z << ", phases " << pc << "," << pr << ", row " << y;
                    // Nothing is written past the tile's width.
                    ASSERT_EQ(row[width * planes], 0xEE);
                }
            }
        }
    }
}

TEST(TileExpansionTest, EveryFactorAndPhaseMatchesTheReference) {
    CheckEveryLayout<uint8_t>(255, 1);
    CheckEveryLayout<uint16_t>(32768, 2);
}

TEST(TileExpansionTest, SixteenBitSamplesAsBytes) {
    const uint16_t source[] = {32768, 128, 129, 0, 16384, 32767};
    uint8_t shown[6] = {};
    ReduceTile16(source, 12, shown, 6, 3, 2, 1);
    EXPECT_EQ(shown[0], 255);
    EXPECT_EQ(shown[1], 0);
    EXPECT_EQ(shown[2], 1);
    EXPECT_EQ(shown[3], 0);
    EXPECT_EQ(shown[4], 127);  // 16384 x 511 / 65536 = 127.75, truncated
    EXPECT_EQ(shown[5], 255);  // 32767 x 511 / 65536 = 255.49
    // Each row starts at its own row bytes; the gap between rows stays untouched.
    const uint16_t two[] = {32768, 0, 0, 0, 32768, 0};
    uint8_t rows[2 * 8];
    std::fill(std::begin(rows), std::end(rows), 0x55);
    ReduceTile16(two, 6, rows, 8, 3, 1, 2);
    EXPECT_EQ(rows[0], 255);
    EXPECT_EQ(rows[3], 0x55);
    EXPECT_EQ(rows[8], 0);
    EXPECT_EQ(rows[9], 255);
}

TEST(TileExpansionTest, SourceRectangleAndPhasesOfATile) {
    // 100 %: the tile's offsets from the image.
    const VRect same = TileSourceRect(Rect{10, 20, 50, 70}, -5, 3, 1);
    EXPECT_EQ(same.top, 7);
    EXPECT_EQ(same.left, 25);
    EXPECT_EQ(same.bottom, 47);
    EXPECT_EQ(same.right, 75);
    // 300 %: a tile that starts one display pixel into a source pixel shows
    // that pixel twice more, and one that starts on a pixel's edge z times.
    const Rect tile{-1, -1, 255, 255};
    const int32_t imageLeft = -1 - 7, imageTop = -1 - 9;  // 7 = 2 x 3 + 1, 9 = 3 x 3
    const VRect source = TileSourceRect(tile, imageLeft, imageTop, 3);
    EXPECT_EQ(source.left, 2);
    EXPECT_EQ(source.top, 3);
    EXPECT_EQ(source.right, (256 + 7 + 2) / 3);  // the last pixel, only partly shown, is fetched
    EXPECT_EQ(source.bottom, (256 + 9 + 2) / 3);
    const Replication r = TileReplication(tile, source, imageLeft, imageTop, 3);
    EXPECT_EQ(r.factor, 3u);
    EXPECT_EQ(r.columnPhase, 2);
    EXPECT_EQ(r.rowPhase, 3);
}

TEST(TileExpansionTest, SixteenBitModesShowAsTheirEightBitCounterparts) {
    EXPECT_EQ(DisplayImageMode(plugInModeGray16), plugInModeGrayScale);
    EXPECT_EQ(DisplayImageMode(plugInModeRGB48), plugInModeRGBColor);
    EXPECT_EQ(DisplayImageMode(plugInModeLab48), plugInModeLabColor);
    EXPECT_EQ(DisplayImageMode(plugInModeCMYK64), plugInModeCMYKColor);
    EXPECT_EQ(DisplayImageMode(plugInModeRGBColor), plugInModeRGBColor);
    EXPECT_EQ(DisplayImageMode(plugInModeDuotone16), plugInModeDuotone16);
}

}  // namespace
}  // namespace tavirel
