// Our PNG reader against the values each test derives itself and against
// stb_image as an independent decoder, for every colour type, depth and both
// layouts; then every way a file can be damaged: flipped bits in any chunk,
// in the zlib stream behind good CRCs, too little or too much data, cuts at
// every offset. A damaged file must be refused with a message, never decoded.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include <array>
#include <string>

#include "common/TestRandom.h"
#include "common/TestTempPath.h"
#include "filterhost/lib/PngFile.h"
#include "files/PngTestFiles.h"

namespace tavirel::test {
namespace {

using filterhost::PngImage;

// What a reader must make of the file: samples expanded as PngFile.h says.
PngImage Expected(const TestPng& png) {
    PngImage image;
    image.width = png.width, image.height = png.height;
    const bool keyed = !png.trns.empty();
    image.channels = png.colourType == 3 ? (keyed ? 4 : 3) : png.fileChannels() + (keyed ? 1 : 0);
    image.bits = png.depth == 16 ? 16 : 8;
    const int in = png.fileChannels();
    for (size_t p = 0; p < size_t(png.width) * png.height; ++p) {
        const uint16_t* v = &png.values[p * in];
        if (png.colourType == 3) {
            for (int c = 0; c < 3; ++c) image.samples.push_back(png.palette[v[0] * 3 + c]);
            if (keyed) image.samples.push_back(v[0] < png.trns.size() ? png.trns[v[0]] : 255);
            continue;
        }
        bool transparent = keyed;
        for (int c = 0; c < in; ++c) {
            // A key's bits above the sample depth are dropped, as libpng does.
            const int keyMask = png.depth == 16 ? 0xFFFF : (1 << png.depth) - 1;
            const uint16_t key = keyed ? uint16_t((png.trns[2 * c] << 8 | png.trns[2 * c + 1]) & keyMask) : 0;
            transparent = transparent && v[c] == key;
            image.samples.push_back(png.depth < 8 ? uint16_t(v[c] * 255 / ((1 << png.depth) - 1)) : v[c]);
        }
        if (keyed) image.samples.push_back(transparent ? 0 : (png.depth == 16 ? 65535 : 255));
    }
    return image;
}

// The same file through stb_image.
PngImage ThroughStb(const Bytes& file, int bits) {
    PngImage image;
    int n = 0;
    image.bits = bits;
    if (bits == 16) {
        stbi_us* p = stbi_load_16_from_memory(file.data(), int(file.size()), &image.width, &image.height, &n, 0);
        if (p == nullptr) return image;
        image.samples.assign(p, p + size_t(image.width) * image.height * n);
        stbi_image_free(p);
    } else {
        stbi_uc* p = stbi_load_from_memory(file.data(), int(file.size()), &image.width, &image.height, &n, 0);
        if (p == nullptr) return image;
        image.samples.assign(p, p + size_t(image.width) * image.height * n);
        stbi_image_free(p);
    }
    image.channels = n;
    return image;
}

TestPng RandomPng(int colourType, int depth, bool interlaced, bool transparency, int width, int height, uint64_t seed) {
    TestRandom random(seed);
    TestPng png;
    png.width = width, png.height = height, png.depth = depth, png.colourType = colourType, png.interlaced = interlaced;
    const int top = colourType == 3 ? 0 : (1 << depth) - 1;
    const int entries = colourType == 3 ? std::min(1 << depth, 200) : 0;
    for (int i = 0; i < entries * 3; ++i) png.palette.push_back(uint8_t(random.UpTo(255)));
    for (size_t i = 0; i < size_t(width) * height * png.fileChannels(); ++i)
        png.values.push_back(uint16_t(random.UpTo(colourType == 3 ? uint32_t(entries - 1) : uint32_t(top))));
    if (transparency && colourType == 3) {
        for (int i = 0; i < entries - 1; ++i)
            png.trns.push_back(uint8_t(random.UpTo(255)));  // the last entry stays opaque
    } else if (transparency) {
        // The key is the first pixel's colour, so some pixels match it; make a
        // few more match. Below 16 bits every other file's key carries a stray
        // bit 8 (out of range for its depth), which the reader must drop.
        const uint8_t stray = depth < 16 && seed % 2 ? 1 : 0;
        for (int c = 0; c < png.fileChannels(); ++c) {
            png.trns.push_back(uint8_t(png.values[size_t(c)] >> 8 | stray));
            png.trns.push_back(uint8_t(png.values[size_t(c)]));
        }
        for (size_t p = 5; p < size_t(width) * height; p += 7)
            for (int c = 0; c < png.fileChannels(); ++c) png.values[p * png.fileChannels() + c] = png.values[size_t(c)];
    }
    png.before.push_back({"tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'}});
    png.after.push_back({"tIME", Bytes{0x07, 0xE8, 1, 2, 3, 4, 5}});
    png.idatPieces = 3;
    return png;
}

struct Format {
    int colourType, depth;
};
const Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

TEST(PngReaderTest, EveryFormatAsDerivedAndAsStbReadsIt) {
    const std::string path = TestTempPath("format.png");
    uint64_t seed = 1;
    for (const Format& f : kFormats) {
        for (bool interlaced : {false, true}) {
            for (bool transparency : {false, true}) {
                if (transparency && (f.colourType == 4 || f.colourType == 6)) continue;
                for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {13, 11}, {33, 9}}) {
                    const TestPng png = RandomPng(f.colourType, f.depth, interlaced, transparency, w, h, seed++);
                    const Bytes file = BuildPng(png);
                    ASSERT_TRUE(WriteBytes(path, file));
                    const std::string what = "type " + std::to_string(f.colourType) + " at " + std::to_string(f.depth) +
                                             (interlaced ? " interlaced" : "") + (transparency ? " with tRNS " : " ") +
                                             std::to_string(w) + "x" + std::to_string(h);
                    PngImage image;
                    std::string error;
                    ASSERT_TRUE(filterhost::ReadPng(path, &image, &error)) << what << ": " << error;
                    const PngImage expected = Expected(png);
                    EXPECT_EQ(image.width, w) << what;
                    EXPECT_EQ(image.height, h) << what;
                    EXPECT_EQ(image.channels, expected.channels) << what;
                    EXPECT_EQ(image.bits, expected.bits) << what;
                    EXPECT_EQ(image.samples, expected.samples) << what;
                    const PngImage stb = ThroughStb(file, expected.bits);
                    EXPECT_EQ(stb.channels, image.channels) << what;
                    EXPECT_EQ(stb.samples, image.samples) << what;

                    filterhost::PngReader reader;
                    ASSERT_TRUE(reader.Open(path, &error)) << error;
                    EXPECT_EQ(reader.info().interlaced, interlaced);
                }
            }
        }
    }
}

TEST(PngReaderTest, InterlacedRowsArriveByPass) {
    // An 8 x 8 image: the first pass is pixel (0, 0) alone, the last pass the
    // odd rows whole.
    TestPng png = RandomPng(0, 8, true, false, 8, 8, 99);
    const std::string path = TestTempPath("passes.png");
    ASSERT_TRUE(WriteBytes(path, BuildPng(png)));
    filterhost::PngReader reader;
    std::string error;
    ASSERT_TRUE(reader.Open(path, &error)) << error;
    std::vector<std::array<int, 4>> rows;
    ASSERT_TRUE(reader.ReadRows(
        [&](int y, int x0, int step, int count, const uint16_t*) {
            rows.push_back({y, x0, step, count});
        },
        &error))
        << error;
    ASSERT_EQ(rows.size(), 15u);  // 1 + 1 + 1 + 2 + 2 + 4 + 4 rows
    EXPECT_EQ(rows.front(), (std::array<int, 4>{0, 0, 8, 1}));
    EXPECT_EQ(rows.back(), (std::array<int, 4>{7, 0, 1, 8}));
    EXPECT_FALSE(reader.ReadRows([](int, int, int, int, const uint16_t*) {}, &error));
}

// The reader's verdict on these bytes: empty when it accepts them.
std::string Refusal(const Bytes& file, const std::string& name = "damaged.png") {
    const std::string path = TestTempPath(name);
    EXPECT_TRUE(WriteBytes(path, file));
    PngImage image;
    std::string error;
    if (filterhost::ReadPng(path, &image, &error)) return "";
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(path), std::string::npos) << error;
    return error.empty() ? "(no message)" : error;
}

bool SaysDamaged(const std::string& error) { return error.find("is damaged") != std::string::npos; }

TEST(PngReaderTest, AFlippedBitInAnyChunkIsRefused) {
    for (const TestPng& png : {RandomPng(3, 4, true, true, 10, 7, 5), RandomPng(6, 16, false, false, 6, 5, 6)}) {
        const Bytes good = BuildPng(png);
        ASSERT_EQ(Refusal(good), "");
        // Two bits of each byte, every bit position in turn.
        for (size_t at = 0; at < good.size(); ++at) {
            for (int bit : {int(at % 8), int((at + 4) % 8)}) {
                Bytes file = good;
                file[at] = uint8_t(file[at] ^ 1 << bit);
                const std::string error = Refusal(file);
                if (at < 8)
                    EXPECT_NE(error.find("is not a PNG image"), std::string::npos) << at << ": " << error;
                else
                    EXPECT_TRUE(SaysDamaged(error)) << "byte " << at << " bit " << bit << ": " << error;
            }
        }
    }
}

TEST(PngReaderTest, AFlippedBitInTheCompressedStreamIsRefusedBehindGoodCrcs) {
    // Noise (stored blocks) and smooth rows (Huffman codes). A few bits carry
    // nothing (the padding after a stored block's header): a flip there is no
    // damage, and the pixels must then be the original ones.
    TestPng noise = RandomPng(2, 8, false, false, 9, 6, 7), smooth = noise;
    for (size_t i = 0; i < smooth.values.size(); ++i) smooth.values[i] = uint16_t(i / 5 % 40);
    int refused = 0, total = 0;
    for (const TestPng& png : {noise, smooth}) {
        const Bytes stream = Compress(Scanlines(png));
        for (size_t at = 0; at < stream.size(); ++at) {
            for (int bit = 0; bit < 8; bit += at < 3 ? 1 : 3, ++total) {  // every bit of the headers
                Bytes broken = stream;
                broken[at] = uint8_t(broken[at] ^ 1 << bit);
                const std::string error = Refusal(BuildPng(png, broken));
                if (error.empty()) {
                    PngImage image;
                    std::string again;
                    ASSERT_TRUE(filterhost::ReadPng(TestTempPath("damaged.png"), &image, &again));
                    EXPECT_EQ(image.samples, Expected(png).samples) << "stream byte " << at << " bit " << bit;
                    continue;
                }
                ++refused;
                EXPECT_TRUE(SaysDamaged(error)) << "stream byte " << at << " bit " << bit << ": " << error;
            }
        }
    }
    EXPECT_GT(refused, total - 16);
}

TEST(PngReaderTest, TooLittleOrTooMuchDataIsRefused) {
    const TestPng png = RandomPng(0, 16, false, false, 12, 8, 8);
    const Bytes rows = Scanlines(png), stream = Compress(rows);
    const size_t rowBytes = rows.size() / 8;

    auto refusedSaying = [&](const Bytes& file, const char* words) {
        const std::string error = Refusal(file);
        EXPECT_TRUE(SaysDamaged(error)) << words << ": " << error;
        EXPECT_NE(error.find(words), std::string::npos) << words << ": " << error;
    };
    refusedSaying(BuildPng(png, Compress(Bytes(rows.begin(), rows.end() - rowBytes))), "ends before the last row");
    Bytes more = rows;
    more.insert(more.end(), rows.begin(), rows.begin() + rowBytes);
    refusedSaying(BuildPng(png, Compress(more)), "more image data");
    refusedSaying(BuildPng(png, Bytes(stream.begin(), stream.end() - 4)), "before its end and checksum");
    refusedSaying(BuildPng(png, Bytes(stream.begin(), stream.begin() + long(stream.size() / 2))), "ends early");
    Bytes trailing = stream;
    trailing.insert(trailing.end(), {1, 2, 3});
    refusedSaying(BuildPng(png, trailing), "follow the end");
    Bytes badFilter = rows;
    badFilter[rowBytes * 3] = 5;
    refusedSaying(BuildPng(png, Compress(badFilter)), "filter type 5");

    // Another IDAT chunk with data after the stream's end; then one after
    // another kind of chunk.
    TestPng extra = png;
    extra.after.insert(extra.after.begin(), {"IDAT", Bytes{0x55}});
    refusedSaying(BuildPng(extra), "follow the end");
    TestPng apart = png;
    apart.after.push_back({"IDAT", Bytes{0x55}});  // after the tIME chunk
    refusedSaying(BuildPng(apart), "not all together");
    // The run of IDAT chunks broken by another chunk before the rows are all there.
    TestPng broken = png;
    broken.idatPieces = 1;
    broken.after.clear();
    Bytes first = BuildPng(broken, Bytes(stream.begin(), stream.begin() + 20));
    first.resize(first.size() - 12);  // IEND
    AddChunk(first, "tIME", Bytes{0x07, 0xE8, 1, 2, 3, 4, 5});
    AddChunk(first, "IDAT", Bytes(stream.begin() + 20, stream.end()));
    AddChunk(first, "IEND", {});
    refusedSaying(first, "ends early");

    Bytes noEnd = BuildPng(png);
    noEnd.resize(noEnd.size() - 12);
    refusedSaying(noEnd, "before its IEND chunk");

    // Empty IDAT chunks between full ones are no damage.
    TestPng pieces = png;
    pieces.idatPieces = 1;
    pieces.after.insert(pieces.after.begin(), {"IDAT", Bytes{}});
    EXPECT_EQ(Refusal(BuildPng(pieces)), "");
}

TEST(PngReaderTest, ACutAtAnyOffsetIsRefusedAsTruncated) {
    for (const TestPng& png : {RandomPng(3, 2, true, true, 9, 9, 9), RandomPng(2, 16, false, true, 7, 4, 10)}) {
        const Bytes good = BuildPng(png);
        for (size_t size = 0; size < good.size(); ++size) {
            const std::string error = Refusal(Bytes(good.begin(), good.begin() + long(size)));
            EXPECT_TRUE(SaysDamaged(error)) << size << ": " << error;
            EXPECT_NE(error.find("truncated"), std::string::npos) << size << ": " << error;
        }
    }
}

TEST(PngReaderTest, HeadersAndChunksItCannotUseAreRefused) {
    TestPng png = RandomPng(2, 8, false, false, 4, 4, 11);
    EXPECT_NE(Refusal(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}).find("is not a PNG image"), std::string::npos);
    EXPECT_NE(Refusal(Bytes{}).find("truncated"), std::string::npos);

    TestPng wrong = png;
    wrong.depth = 4;  // RGB has no 4-bit form
    EXPECT_NE(Refusal(BuildPng(wrong, Compress(Bytes(4 * 7, 0)))).find("which PNG does not have"), std::string::npos);
    TestPng critical = png;
    critical.before.push_back({"ZZZZ", Bytes{1}});
    EXPECT_NE(Refusal(BuildPng(critical)).find("ZZZZ, which this reader does not know"), std::string::npos);
    TestPng ancillary = png;
    ancillary.before.push_back({"zzZZ", Bytes{1}});
    EXPECT_EQ(Refusal(BuildPng(ancillary)), "");
    TestPng alphaKey = RandomPng(6, 8, false, false, 4, 4, 12);
    alphaKey.trns = Bytes(8, 0);
    EXPECT_TRUE(SaysDamaged(Refusal(BuildPng(alphaKey))));
    TestPng noPalette = RandomPng(3, 8, false, false, 4, 4, 13);
    noPalette.palette.clear();
    EXPECT_TRUE(SaysDamaged(Refusal(BuildPng(noPalette))));
    TestPng greyPalette = RandomPng(0, 8, false, false, 4, 4, 14);
    greyPalette.palette = Bytes(6, 9);
    EXPECT_TRUE(SaysDamaged(Refusal(BuildPng(greyPalette))));

    PngImage image;
    std::string error;
    EXPECT_FALSE(filterhost::ReadPng(TestTempPath("no-such-file.png"), &image, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

}  // namespace
}  // namespace tavirel::test
