// displayPixels as our host draws it: every layout of pixel map converted
// pixel for pixel as DisplayColour gives it, maps with bounds away from the
// origin and padded rows, calls of different sizes one after another, and the
// pixels landing at the given row and column of a bitmap, top row first; the
// RGB rows of both kinds against DisplayColour at every width, each row ending
// at a guard page so that a read past its last pixel faults.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestRandom.h"
#include "filterhost/lib/DisplayRows.h"
#include "filterhost/lib/GuardedBuffer.h"
#include "filterhost/lib/PixelMapDrawing.h"

namespace tavirel::test {
namespace {

using filterhost::ConvertPixelMap;
using filterhost::DisplayColour;
using filterhost::DisplayImage;
using filterhost::DrawPixelMap;

// A map of random bytes: `rows` x `columns` pixels of colBytes, rows padded
// by 5 bytes, bounds starting at (top, left).
struct TestMap {
    std::vector<uint8_t> bytes;
    PSPixelMap map{};

    TestMap(int32 mode, int colBytes, int planeBytes, int top, int left, int rows, int columns, uint64_t seed) {
        const int rowBytes = columns * colBytes + 5;
        bytes.resize(size_t(rowBytes) * size_t(rows));
        TestRandom random(seed);
        for (uint8_t& b : bytes) b = uint8_t(random.UpTo(255));
        map.version = 1;
        map.bounds = VRect{top, left, top + rows, left + columns};
        map.imageMode = mode;
        map.rowBytes = rowBytes;
        map.colBytes = colBytes;
        map.planeBytes = planeBytes;
        map.baseAddr = bytes.data();
    }
    const uint8_t* At(int row, int column) const {
        return bytes.data() + size_t(row - map.bounds.top) * size_t(map.rowBytes) +
               size_t(column - map.bounds.left) * size_t(map.colBytes);
    }
};

// The first pixel of `image` that differs from DisplayColour of the map, or "".
std::string CompareImage(const DisplayImage& image, const TestMap& t, const VRect& area) {
    if (image.width != area.right - area.left || image.height != area.bottom - area.top) return "wrong size";
    const BITMAPINFOHEADER& h = image.info.bmiHeader;
    if (h.biWidth != image.width || h.biHeight != -image.height || h.biBitCount != 32 || h.biCompression != BI_RGB)
        return "not a top-down 32-bit bitmap of the area's size";
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t expected =
                DisplayColour(t.At(area.top + y, area.left + x), t.map.imageMode, t.map.planeBytes);
            const uint32_t actual = image.bits[size_t(y) * size_t(image.width) + size_t(x)] & 0xFFFFFFu;
            if (actual != expected)
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + std::to_string(actual) +
                       " instead of " + std::to_string(expected);
        }
    return "";
}

TEST(PixelMapDrawingTest, DisplayColourOfEveryMode) {
    const uint8_t rgb[] = {10, 20, 30, 99};
    EXPECT_EQ(DisplayColour(rgb, plugInModeRGBColor, 1), 0x0A141Eu);
    const uint8_t spread[] = {10, 0, 20, 0, 30, 0};
    EXPECT_EQ(DisplayColour(spread, plugInModeRGBColor, 2), 0x0A141Eu);
    // CMYK as light: c k / 255 rounded to nearest; 255 is no ink.
    const uint8_t cmyk[] = {255, 128, 0, 128};
    EXPECT_EQ(DisplayColour(cmyk, plugInModeCMYKColor, 1), (128u << 16) | (64u << 8) | 0u);
    const uint8_t white[] = {255, 255, 255, 255};
    EXPECT_EQ(DisplayColour(white, plugInModeCMYKColor, 1), 0xFFFFFFu);
    const uint8_t grey[] = {77, 1, 2};
    EXPECT_EQ(DisplayColour(grey, plugInModeGrayScale, 1), 0x4D4D4Du);
    EXPECT_EQ(DisplayColour(grey, plugInModeLabColor, 1), 0x4D4D4Du) << "other modes show their first sample";
}

TEST(PixelMapDrawingTest, EveryLayoutConvertsPixelForPixel) {
    struct Layout {
        int32 mode;
        int colBytes, planeBytes;
    };
    const Layout layouts[] = {{plugInModeRGBColor, 3, 1},  {plugInModeRGBColor, 4, 1},  {plugInModeRGBColor, 5, 1},
                              {plugInModeRGBColor, 6, 2},  {plugInModeCMYKColor, 4, 1}, {plugInModeCMYKColor, 5, 1},
                              {plugInModeGrayScale, 1, 1}, {plugInModeGrayScale, 2, 1}, {plugInModeLabColor, 3, 1}};
    DisplayImage image;  // one for every call, as the host keeps it
    uint64_t seed = 1;
    for (const Layout& l : layouts) {
        const TestMap t(l.mode, l.colBytes, l.planeBytes, 7, -3, 40, 61, seed++);
        // The whole map, then smaller and larger parts of it.
        const VRect areas[] = {t.map.bounds, VRect{8, -1, 20, 30}, VRect{7, 50, 47, 58}, VRect{46, -3, 47, 58},
                               VRect{10, 0, 45, 57}};
        for (const VRect& area : areas) {
            ASSERT_EQ(ConvertPixelMap(&t.map, &area, image), noErr);
            ASSERT_EQ(CompareImage(image, t, area), "")
                << "mode " << l.mode << ", colBytes " << l.colBytes << ", area " << area.top << "," << area.left;
        }
    }
}

TEST(PixelMapDrawingTest, RgbRowsOfBothKindsAtEveryWidth) {
    std::vector<filterhost::RgbRows> kinds{{"plain", filterhost::RgbRow3Plain, filterhost::RgbRow4Plain}};
    if (filterhost::ProcessorHasSsse3())
        kinds.push_back({"ssse3", filterhost::RgbRow3Ssse3, filterhost::RgbRow4Ssse3});
    else
        std::printf("no SSSE3 here: only the plain rows are tested\n");
    TestRandom random(77);
    filterhost::GuardedBuffer row;
    for (const filterhost::RgbRows& kind : kinds) {
        for (int colBytes : {3, 4}) {
            for (int width = 0; width <= 70; ++width) {
                ASSERT_TRUE(row.Reset(size_t(width) * colBytes + 1));
                auto* bytes = static_cast<uint8_t*>(row.data()) + 1;  // an odd start as well
                for (int i = 0; i < width * colBytes; ++i) bytes[i] = uint8_t(random.UpTo(255));
                std::vector<uint32_t> out(size_t(width) + 1, 0xDEADBEEFu);
                (colBytes == 3 ? kind.rgb3 : kind.rgb4)(bytes, out.data(), width);
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(out[size_t(x)], DisplayColour(bytes + x * colBytes, plugInModeRGBColor, 1))
                        << kind.name << ", colBytes " << colBytes << ", width " << width << ", pixel " << x;
                }
                EXPECT_EQ(out[size_t(width)], 0xDEADBEEFu) << kind.name << " wrote past the row";
            }
        }
    }
    if (filterhost::ProcessorHasSsse3() && std::getenv("TAVIREL_SIMD") == nullptr) {
        EXPECT_STREQ(filterhost::DisplayRgbRows().name, "ssse3");
    }
}

TEST(PixelMapDrawingTest, IllFormedMapsAndAreas) {
    TestMap t(plugInModeRGBColor, 3, 1, 0, 0, 4, 4, 9);
    DisplayImage image;
    const VRect all = t.map.bounds;
    EXPECT_EQ(ConvertPixelMap(nullptr, &all, image), paramErr);
    EXPECT_EQ(ConvertPixelMap(&t.map, nullptr, image), paramErr);
    const VRect outside{0, 0, 5, 4};
    EXPECT_EQ(ConvertPixelMap(&t.map, &outside, image), paramErr);
    const VRect empty{2, 2, 2, 4};
    EXPECT_EQ(ConvertPixelMap(&t.map, &empty, image), noErr);
    EXPECT_EQ(image.width, 0);
    PSPixelMap narrow = t.map;
    narrow.colBytes = 2;  // three planes cannot fit in two bytes
    EXPECT_EQ(ConvertPixelMap(&narrow, &all, image), paramErr);
    PSPixelMap noBytes = t.map;
    noBytes.baseAddr = nullptr;
    EXPECT_EQ(ConvertPixelMap(&noBytes, &all, image), paramErr);
    EXPECT_EQ(DrawPixelMap(&t.map, &all, 0, 0, nullptr, image), paramErr);
}

// The pixels as they land in a bitmap selected into a memory DC.
TEST(PixelMapDrawingTest, DrawsAtTheRowAndColumnTopRowFirst) {
    constexpr int kWidth = 80, kHeight = 50;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    std::memset(pixels, 0, size_t(kWidth) * kHeight * 4);

    DisplayImage scratch;
    const TestMap large(plugInModeRGBColor, 3, 1, 0, 0, 30, 40, 21), small(plugInModeRGBColor, 4, 1, 2, 2, 9, 13, 22);
    const VRect largeArea{0, 0, 30, 40}, smallArea{3, 4, 11, 15};
    // The larger call first, so that the smaller one finds a longer buffer.
    ASSERT_EQ(DrawPixelMap(&large.map, &largeArea, 5, 2, dc, scratch), noErr);
    ASSERT_EQ(DrawPixelMap(&small.map, &smallArea, 40, 60, dc, scratch), noErr);
    GdiFlush();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t expected = 0;
            if (y >= 5 && y < 35 && x >= 2 && x < 42)
                expected = DisplayColour(large.At(y - 5, x - 2), plugInModeRGBColor, 1);
            else if (y >= 40 && y < 48 && x >= 60 && x < 71)
                expected = DisplayColour(small.At(y - 40 + 3, x - 60 + 4), plugInModeRGBColor, 1);
            ASSERT_EQ(pixels[size_t(y) * kWidth + size_t(x)] & 0xFFFFFFu, expected) << x << ", " << y;
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
}  // namespace tavirel::test
