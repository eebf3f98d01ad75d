// Our PNG writer: read back by our reader and by stb_image, byte for byte the
// file a one-shot compression of the rows gives (the writer's files before it
// streamed), IDAT chunks split at a limit, and rows counted.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <cstdio>
#include <string>

#include "common/TestRandom.h"
#include "filterhost/lib/PngFile.h"
#include "files/PngTestFiles.h"

namespace filterhost {
namespace {

using tavirel::test::Bytes;

// Named after the running test too: CTest runs tests side by side.
std::string TempPath(const char* name) {
    return ::testing::TempDir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
}

PngImage RandomImage(int width, int height, int channels, int bits, uint64_t seed) {
    tavirel::test::TestRandom random(seed);
    PngImage image;
    image.width = width, image.height = height, image.channels = channels, image.bits = bits;
    const uint32_t top = bits == 16 ? 65535 : 255;
    image.samples.resize(size_t(width) * height * channels);
    for (size_t i = 0; i < image.samples.size(); ++i)
        image.samples[i] = i < 4 ? uint16_t(i % 2 ? top : 0) : uint16_t(random.UpTo(top));
    return image;
}

// The file as one compress2() call over all rows makes it: filter 0, level 6, one IDAT.
Bytes OneShotFile(const PngImage& image) {
    static const uint8_t kColourType[5] = {0, 0, 4, 2, 6};
    Bytes raw;
    size_t i = 0;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width * image.channels; ++x, ++i) {
            if (image.bits == 16) raw.push_back(uint8_t(image.samples[i] >> 8));
            raw.push_back(uint8_t(image.samples[i]));
        }
    }
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    tavirel::test::Put32(header, uint32_t(image.width));
    tavirel::test::Put32(header, uint32_t(image.height));
    header.insert(header.end(), {uint8_t(image.bits), kColourType[image.channels], 0, 0, 0});
    tavirel::test::AddChunk(out, "IHDR", header);
    tavirel::test::AddChunk(out, "IDAT", tavirel::test::Compress(raw, 6));
    tavirel::test::AddChunk(out, "IEND", {});
    return out;
}

TEST(PngFileTest, RoundTripsEveryLayout) {
    for (int bits : {8, 16}) {
        for (int channels = 1; channels <= 4; ++channels) {
            const PngImage image = RandomImage(37, 11, channels, bits, 0x504E47 + bits * 8 + channels);
            const std::string path = TempPath("roundtrip.png");
            std::string error;
            ASSERT_TRUE(WritePng(path, image, &error)) << error;
            PngImage back;
            ASSERT_TRUE(ReadPng(path, &back, &error)) << error;
            EXPECT_EQ(back.width, 37);
            EXPECT_EQ(back.height, 11);
            EXPECT_EQ(back.channels, channels);
            EXPECT_EQ(back.bits, bits);
            EXPECT_EQ(back.samples, image.samples) << bits << " bits, " << channels << " channels";
            std::remove(path.c_str());
        }
    }
}

TEST(PngFileTest, FilesAreWhatOneShotCompressionGives) {
    // The larger images take many 64 KB pieces of compressed output.
    for (auto [w, h, channels, bits] : {std::array{1, 1, 1, 8}, {37, 11, 3, 8}, {300, 200, 4, 16}, {640, 480, 3, 8}}) {
        PngImage image = RandomImage(w, h, channels, bits, uint64_t(w * h));
        // Smooth rows compress well, noise badly: half of each.
        for (size_t i = image.samples.size() / 2; i < image.samples.size(); ++i)
            image.samples[i] = uint16_t(i / 7 % 200);
        const Bytes expected = OneShotFile(image);
        EXPECT_EQ(EncodePng(image), expected) << w << "x" << h;
        const std::string path = TempPath("oneshot.png");
        std::string error;
        ASSERT_TRUE(WritePng(path, image, &error)) << error;
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        Bytes file(expected.size() + 1);
        file.resize(std::fread(file.data(), 1, file.size(), f));
        std::fclose(f);
        EXPECT_EQ(file, expected) << w << "x" << h;
    }
}

TEST(PngFileTest, ImageDataSplitsIntoChunksAtTheLimit) {
    const PngImage image = RandomImage(50, 40, 3, 16, 21);
    const std::string path = TempPath("split.png");
    std::string error;
    PngWriter writer(1000);
    ASSERT_TRUE(writer.Open(path, image.width, image.height, image.channels, image.bits, &error)) << error;
    Bytes row(writer.rowBytes());
    for (int y = 0; y < image.height; ++y) {
        for (size_t i = 0; i < size_t(image.width) * 3; ++i) {
            const uint16_t v = image.samples[size_t(y) * image.width * 3 + i];
            row[2 * i] = uint8_t(v >> 8), row[2 * i + 1] = uint8_t(v);
        }
        ASSERT_TRUE(writer.WriteRow(row.data(), &error)) << error;
    }
    ASSERT_TRUE(writer.Finish(&error)) << error;

    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes file(1 << 20);
    file.resize(std::fread(file.data(), 1, file.size(), f));
    std::fclose(f);
    int chunks = 0;
    for (size_t at = 8; at + 8 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8) == "IDAT") {
            ++chunks;
            EXPECT_LE(length, 1000u);
        }
        at += 12 + length;
    }
    EXPECT_GT(chunks, 10);  // 12000 bytes of noise do not shrink
    PngImage back;
    ASSERT_TRUE(ReadPng(path, &back, &error)) << error;
    EXPECT_EQ(back.samples, image.samples);
    int w, h, n;
    stbi_us* stb = stbi_load_16_from_memory(file.data(), int(file.size()), &w, &h, &n, 0);
    ASSERT_NE(stb, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(stb, stb + size_t(w) * h * n), image.samples);
    stbi_image_free(stb);
}

TEST(PngFileTest, RowsAreCounted) {
    std::string error;
    PngWriter few;
    ASSERT_TRUE(few.Open("", 4, 3, 1, 8, &error)) << error;
    const uint8_t row[4] = {1, 2, 3, 4};
    ASSERT_TRUE(few.WriteRow(row, &error));
    EXPECT_FALSE(few.Finish(&error));
    EXPECT_NE(error.find("1 rows of 3"), std::string::npos) << error;
    PngWriter many;
    ASSERT_TRUE(many.Open("", 4, 1, 1, 8, &error)) << error;
    ASSERT_TRUE(many.WriteRow(row, &error));
    EXPECT_FALSE(many.WriteRow(row, &error));
    EXPECT_FALSE(many.Open("", 0, 1, 1, 8, &error));

    PngImage image = RandomImage(3, 3, 3, 8, 1);
    EXPECT_FALSE(WritePng(TempPath("no-such-folder/out.png"), image, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    image.samples.pop_back();
    EXPECT_FALSE(WritePng(TempPath("short.png"), image, &error));
    EXPECT_TRUE(EncodePng(image).empty());
}

}  // namespace
}  // namespace filterhost
