// PNG files straight into host documents and back: 16-bit file values kept
// through the coarser host scale for every sample the filter left alone,
// interlaced files, expanded formats, and the sizes a host cannot take.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/TestRandom.h"
#include "common/TestTempPath.h"
#include "files/PngTestFiles.h"
#include "filterhost/lib/HostScale.h"
#include "filterhost/lib/ImageConversion.h"

namespace filterhost {
namespace {

using tavirel::test::Bytes;
using tavirel::test::TestPng;
using tavirel::test::TestTempPath;

TEST(ImageConversionTest, EveryFileValueIsOneOfTheTwoForItsHostValue) {
    for (uint32_t v = 0; v <= 65535; ++v) {
        const uint16_t h = HostFromFile16(uint16_t(v));
        ASSERT_TRUE(FileFromHost16(h) == v || OtherFileValue16(h) == v) << v;
        if (FileFromHost16(h) != v) {
            ASSERT_EQ(HostFromFile16(OtherFileValue16(h)), h) << v;
        }
    }
}

TestPng RandomFile(int colourType, int depth, bool interlaced, int width, int height, uint64_t seed) {
    tavirel::test::TestRandom random(seed);
    TestPng png;
    png.width = width, png.height = height, png.depth = depth, png.colourType = colourType, png.interlaced = interlaced;
    for (size_t i = 0; i < size_t(width) * height * png.fileChannels(); ++i)
        png.values.push_back(uint16_t(random.UpTo(uint32_t(colourType == 3 ? 3 : (1 << depth) - 1))));
    if (colourType == 3) png.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220};
    return png;
}

TEST(ImageConversionTest, SixteenBitValuesTheFilterLeftAloneComeBackExactly) {
    for (bool interlaced : {false, true}) {
        for (int colourType : {2, 6, 0, 4}) {
            const TestPng png = RandomFile(colourType, 16, interlaced, 29, 17, uint64_t(colourType + interlaced * 10));
            const std::string in = TestTempPath("in16.png"), out = TestTempPath("out16.png");
            ASSERT_TRUE(tavirel::test::WriteBytes(in, tavirel::test::BuildPng(png)));
            Document original;
            PngOrigin origin;
            std::string error;
            ASSERT_TRUE(ReadPngDocument(in, &original, &origin, &error)) << error;
            ASSERT_EQ(original.depth, 16);
            ASSERT_EQ(original.planes, png.fileChannels());
            EXPECT_EQ(original.imageMode, colourType < 4 && colourType != 2 ? 10 : colourType == 4 ? 10 : 11);
            const auto* samples = reinterpret_cast<const uint16_t*>(original.data.data());
            for (size_t i = 0; i < png.values.size(); ++i) ASSERT_EQ(samples[i], HostFromFile16(png.values[i])) << i;

            // Every third sample changed, some to the value they had.
            Document result = original;
            auto* changed = reinterpret_cast<uint16_t*>(result.data.data());
            tavirel::test::TestRandom random(77);
            for (size_t i = 0; i < png.values.size(); i += 3) changed[i] = uint16_t(random.UpTo(32768));
            ASSERT_TRUE(WritePng(out, PngFromDocument(result, original, origin), &error)) << error;
            PngImage back;
            ASSERT_TRUE(ReadPng(out, &back, &error)) << error;
            ASSERT_EQ(back.samples.size(), png.values.size());
            for (size_t i = 0; i < png.values.size(); ++i) {
                const uint16_t expected = changed[i] == samples[i] ? png.values[i] : FileFromHost16(changed[i]);
                ASSERT_EQ(back.samples[i], expected) << i;
            }
        }
    }
}

Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A batch writes a result from its rows made in place: the very bytes a
// single run writes from the result and the original, at both depths and
// with samples changed, left alone and changed to what they were.
TEST(ImageConversionTest, ResultRowsWriteTheSameFileAsTheResultAndOriginal) {
    for (int depth : {8, 16}) {
        for (int colourType : {2, 6, 0}) {
            const TestPng png = RandomFile(colourType, depth, false, 31, 13, uint64_t(depth * 10 + colourType));
            const std::string in = TestTempPath("in.png"), single = TestTempPath("single.png"),
                              rows = TestTempPath("rows.png");
            ASSERT_TRUE(tavirel::test::WriteBytes(in, tavirel::test::BuildPng(png)));
            Document original;
            PngOrigin origin;
            std::string error;
            ASSERT_TRUE(ReadPngDocument(in, &original, &origin, &error)) << error;
            Document result = original;
            tavirel::test::TestRandom random(uint64_t(depth + colourType));
            for (size_t i = 0; i < result.data.size(); i += 5) result.data[i] = uint8_t(random.Next());
            ASSERT_TRUE(WritePng(single, PngFromDocument(result, original, origin), &error)) << error;

            PngRows made;
            ASSERT_TRUE(PngRowsFromResult(&result, original, origin, &made, &error)) << error;
            EXPECT_TRUE(result.data.empty());
            ASSERT_TRUE(WritePngRows(rows, made, &error)) << error;
            EXPECT_EQ(FileBytes(rows), FileBytes(single)) << depth << " bits, colour type " << colourType;
        }
    }
    // A result of another shape than the file's is refused and left as it was.
    Document original, result;
    original.Allocate(4, 3, 3, 16);
    result.Allocate(4, 2, 3, 16);
    PngOrigin origin;
    origin.width = 4, origin.height = 3, origin.channels = 3, origin.bits = 16;
    origin.otherValue.assign(5, 0);
    PngRows made;
    std::string error;
    EXPECT_FALSE(PngRowsFromResult(&result, original, origin, &made, &error));
    EXPECT_EQ(result.data.size(), 4u * 2 * 3 * 2);
    EXPECT_FALSE(error.empty());
}

TEST(ImageConversionTest, EightBitAndExpandedFilesBecomeDocuments) {
    struct Case {
        int colourType, depth, planes, mode;
    };
    for (const Case& c : {Case{2, 8, 3, 3}, Case{6, 8, 4, 3}, Case{0, 2, 1, 1}, Case{3, 4, 3, 3}}) {
        const TestPng png = RandomFile(c.colourType, c.depth, true, 21, 13, uint64_t(c.colourType));
        const std::string in = TestTempPath("in8.png"), out = TestTempPath("out8.png");
        ASSERT_TRUE(tavirel::test::WriteBytes(in, tavirel::test::BuildPng(png)));
        Document document;
        PngOrigin origin;
        std::string error;
        ASSERT_TRUE(ReadPngDocument(in, &document, &origin, &error)) << error;
        EXPECT_EQ(document.planes, c.planes);
        EXPECT_EQ(document.depth, 8);
        EXPECT_EQ(document.imageMode, c.mode);
        PngImage read;
        ASSERT_TRUE(ReadPng(in, &read, &error)) << error;
        ASSERT_EQ(document.data.size(), read.samples.size());
        for (size_t i = 0; i < read.samples.size(); ++i) ASSERT_EQ(document.data[i], read.samples[i]) << i;
        // Unchanged, it is written back as the same samples, not interlaced.
        ASSERT_TRUE(WritePng(out, PngFromDocument(document, document, origin), &error)) << error;
        PngImage back;
        ASSERT_TRUE(ReadPng(out, &back, &error)) << error;
        EXPECT_EQ(back.samples, read.samples);
        EXPECT_EQ(EncodePng(back), EncodePng(read));
    }
}

TEST(ImageConversionTest, SizesAHostCannotTakeAreRefusedBeforeAllocating) {
    TestPng wide;
    wide.width = 32768, wide.height = 1, wide.depth = 1, wide.colourType = 0;
    wide.values.assign(32768, 1);
    const std::string path = TestTempPath("wide.png");
    ASSERT_TRUE(tavirel::test::WriteBytes(path, tavirel::test::BuildPng(wide)));
    Document document;
    PngOrigin origin;
    std::string error;
    EXPECT_FALSE(ReadPngDocument(path, &document, &origin, &error));
    EXPECT_NE(error.find("at most 32767"), std::string::npos) << error;
    EXPECT_TRUE(document.data.empty());

    // A damaged file is refused after the document was made; the message says so.
    TestPng small = RandomFile(2, 8, false, 5, 5, 3);
    Bytes file = tavirel::test::BuildPng(small);
    file[file.size() - 20] ^= 0x10;  // in the IDAT chunk's data or CRC
    ASSERT_TRUE(tavirel::test::WriteBytes(path, file));
    EXPECT_FALSE(ReadPngDocument(path, &document, &origin, &error));
    EXPECT_NE(error.find("is damaged"), std::string::npos) << error;

    Document other = document;
    other.width = 4;
    EXPECT_FALSE(WritePng(TestTempPath("shape.png"), PngFromDocument(other, document, origin), &error));
}

}  // namespace
}  // namespace filterhost
