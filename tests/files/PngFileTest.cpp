// Our PNG writer: read back by our reader and by stb_image with every filter
// and every compression, no larger than unfiltered level-6 deflate made it;
// through zlib unfiltered at level 6, byte for byte the file a one-shot
// compression of the rows gives (the writer's files before it filtered);
// IDAT chunks split at a limit, and rows counted; a file's colour and
// picture chunks kept by the reader and written back where PNG wants them.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <sys/resource.h>

#include "common/TestRandom.h"
#include "common/TestTempPath.h"
#include "filterhost/lib/ImageConversion.h"
#include "filterhost/lib/PngFile.h"
#include "files/PngTestFiles.h"
#include "filterhost/lib/PngChunks.h"

namespace filterhost {
namespace {

using tavirel::test::Bytes;
using tavirel::test::TestTempPath;

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

// Ramps in every channel with seeded noise of +-noise (in 8-bit steps),
// a flat band and a band of repeated rows: runs, copies and residuals for
// every filter to meet.
PngImage GradientImage(int width, int height, int channels, int bits, int noise, uint64_t seed) {
    tavirel::test::TestRandom random(seed);
    PngImage image;
    image.width = width, image.height = height, image.channels = channels, image.bits = bits;
    const int64_t top = bits == 16 ? 65535 : 255, unit = bits == 16 ? 257 : 1;
    image.samples.resize(size_t(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const size_t i = (size_t(y) * width + x) * channels + c;
                const int64_t ramp = c % 3 == 0   ? top * x / width
                                     : c % 3 == 1 ? top * y / height
                                                  : top * (x + y) / (width + height);
                int64_t v = ramp + (int64_t(random.UpTo(uint32_t(2 * noise))) - noise) * unit;
                if (y % 16 == 5) v = top / 3;                                                      // a flat row
                if (y % 16 >= 10 && y % 16 < 13) v = image.samples[i - size_t(width) * channels];  // repeats
                image.samples[i] = uint16_t(std::clamp<int64_t>(v, 0, top));
            }
        }
    }
    return image;
}

// Decoded by stb_image as file values, or empty when it refuses the file.
std::vector<uint16_t> StbSamples(const Bytes& file, int bits) {
    int w, h, n;
    std::vector<uint16_t> out;
    if (bits == 16) {
        stbi_us* p = stbi_load_16_from_memory(file.data(), int(file.size()), &w, &h, &n, 0);
        if (p != nullptr) out.assign(p, p + size_t(w) * h * n);
        stbi_image_free(p);
    } else {
        stbi_uc* p = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &n, 0);
        if (p != nullptr) out.assign(p, p + size_t(w) * h * n);
        stbi_image_free(p);
    }
    return out;
}

PngImage ReadBack(const Bytes& file, const std::string& name) {
    const std::string path = TestTempPath(name);
    PngImage back;
    std::string error;
    EXPECT_TRUE(tavirel::test::WriteBytes(path, file));
    EXPECT_TRUE(ReadPng(path, &back, &error)) << error;
    std::remove(path.c_str());
    return back;
}

// The writer as it was before rows were filtered: zlib at level 6, filter 0.
PngEncoding UnfilteredLevel6() {
    PngEncoding e;
    e.perRow = false, e.filter = PngFilterType::None;
    e.deflater = PngDeflater::Zlib, e.level = 6, e.strategy = PngStrategy::Default, e.memLevel = 8;
    return e;
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
            const std::string path = TestTempPath("roundtrip.png");
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

TEST(PngFileTest, EveryFilterAndCompressionRoundTrips) {
    // Each filter forced on every row, the choice per row, and each
    // compression; through our coder with blocks of 100 bytes too, so that
    // copies reach back across blocks and its window moves many times.
    std::vector<std::pair<std::string, PngEncoding>> encodings;
    for (int type = 0; type < kPngFilterTypes; ++type) {
        PngEncoding forced;
        forced.perRow = false, forced.filter = PngFilterType(type);
        encodings.emplace_back("filter " + std::to_string(type), forced);
        forced.rows.blockBytes = 100;
        encodings.emplace_back("filter " + std::to_string(type) + ", small blocks", forced);
    }
    PngEncoding chosen;
    chosen.rows.blockBytes = 100;
    encodings.emplace_back("chosen per row, small blocks", chosen);
    chosen.rows.rivalLevel = 9;
    encodings.emplace_back("zlib's rival, small blocks", chosen);
    encodings.emplace_back("fast", EncodingFor(PngCompression::Fast));
    encodings.emplace_back("default", EncodingFor(PngCompression::Default));
    encodings.emplace_back("small", EncodingFor(PngCompression::Small));
    encodings.emplace_back("zlib, unfiltered", UnfilteredLevel6());

    for (int bits : {8, 16}) {
        for (int channels = 1; channels <= 4; ++channels) {
            for (auto [w, h] : {std::pair{1, 1}, {1, 40}, {40, 1}, {53, 37}}) {
                const PngImage image = GradientImage(w, h, channels, bits, 3, uint64_t(w * 100 + h + bits + channels));
                for (const auto& [name, encoding] : encodings) {
                    const Bytes file = EncodePng(image, encoding);
                    const std::string what = std::to_string(w) + "x" + std::to_string(h) + ", " +
                                             std::to_string(channels) + " channels at " + std::to_string(bits) +
                                             " bits, " + name;
                    ASSERT_FALSE(file.empty()) << what;
                    const PngImage back = ReadBack(file, "filters.png");
                    EXPECT_EQ(back.width, w) << what;
                    EXPECT_EQ(back.bits, bits) << what;
                    EXPECT_EQ(back.channels, channels) << what;
                    EXPECT_EQ(back.samples, image.samples) << what;
                    EXPECT_EQ(StbSamples(file, bits), image.samples) << what;
                }
            }
        }
    }
}

// The image's rows as the file holds them: samples big-endian at 16 bits.
Bytes FileRows(const PngImage& image) {
    Bytes rows;
    for (uint16_t v : image.samples) {
        if (image.bits == 16) rows.push_back(uint8_t(v >> 8));
        rows.push_back(uint8_t(v));
    }
    return rows;
}

Bytes EncodeInParts(const PngImage& image, const PngEncoding& encoding, int threads) {
    PngWriter writer(encoding);
    std::string error;
    const Bytes rows = FileRows(image);
    EXPECT_TRUE(writer.Open("", image.width, image.height, image.channels, image.bits, &error)) << error;
    EXPECT_TRUE(writer.WriteRows(rows.data(), threads, &error)) << error;
    EXPECT_TRUE(writer.Finish(&error)) << error;
    return writer.bytes();
}

// A stream coded in parts is one stream: zlib (our reader) and stb read
// every sample back and check its one checksum. The parts follow from the
// image alone, so any number of threads writes the same file; an image
// within one part is the row-by-row file byte for byte.
TEST(PngFileTest, PartsCodedSideBySideMakeOneStream) {
    PngEncoding smallParts;
    smallParts.rows.blockBytes = 100;
    smallParts.partBytes = 3000;
    PngEncoding withRival = smallParts;
    withRival.rows.rivalLevel = 9;
    PngEncoding onePart = smallParts;
    onePart.partBytes = 0;
    for (const PngEncoding& encoding : {smallParts, withRival, onePart, EncodingFor(PngCompression::Fast)}) {
        for (int bits : {8, 16}) {
            for (int channels : {3, 4}) {
                const PngImage image = GradientImage(67, 300, channels, bits, 3, uint64_t(bits + channels));
                const Bytes rowByRow = EncodePng(image, encoding);
                const Bytes oneThread = EncodeInParts(image, encoding, 1);
                const std::string what = std::to_string(channels) + " channels at " + std::to_string(bits) +
                                         " bits, parts of " + std::to_string(encoding.partBytes) + " bytes";
                if (encoding.partBytes == 3000) {
                    EXPECT_NE(oneThread, rowByRow) << what << ": no parts were made";
                } else {
                    EXPECT_EQ(oneThread, rowByRow) << what;
                }
                EXPECT_EQ(ReadBack(oneThread, "parts.png").samples, image.samples) << what;
                EXPECT_EQ(StbSamples(oneThread, bits), image.samples) << what;
                for (int threads : {2, 3, 9}) EXPECT_EQ(EncodeInParts(image, encoding, threads), oneThread) << what;
            }
        }
    }
    // Rows once only: WriteRows after WriteRow is refused.
    const PngImage image = GradientImage(5, 80, 3, 8, 3, 1);
    const Bytes rows = FileRows(image);
    PngWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open("", 5, 80, 3, 8, &error)) << error;
    ASSERT_TRUE(writer.WriteRow(rows.data(), &error)) << error;
    EXPECT_FALSE(writer.WriteRows(rows.data(), 2, &error));
}

TEST(PngFileTest, RowsHoldTheFilterAsked) {
    // Inflating the image data shows each row's filter type byte: the forced
    // one on every row, and a choice that is not always the same.
    const PngImage image = GradientImage(64, 48, 3, 8, 2, 11);
    auto filterTypes = [&](const PngEncoding& encoding) {
        const Bytes file = EncodePng(image, encoding);
        Bytes stream;
        for (size_t at = 8; at + 12 <= file.size();) {
            const uint32_t length = uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
            if (std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8) == "IDAT")
                stream.insert(stream.end(), file.begin() + long(at) + 8, file.begin() + long(at + 8 + length));
            at += 12 + length;
        }
        const size_t rowLength = 1 + 64 * 3;
        Bytes raw(rowLength * 48);
        uLongf size = uLongf(raw.size());
        EXPECT_EQ(uncompress(raw.data(), &size, stream.data(), uLong(stream.size())), Z_OK);
        EXPECT_EQ(size, raw.size());
        std::vector<int> types;
        for (size_t r = 0; r < 48; ++r) types.push_back(raw[r * rowLength]);
        return types;
    };
    for (int type = 0; type < kPngFilterTypes; ++type) {
        PngEncoding forced;
        forced.perRow = false, forced.filter = PngFilterType(type);
        EXPECT_EQ(filterTypes(forced), std::vector<int>(48, type));
    }
    const std::vector<int> chosen = filterTypes(EncodingFor(PngCompression::Default));
    EXPECT_NE(std::count(chosen.begin(), chosen.end(), chosen[0]), 48);
    EXPECT_EQ(filterTypes(EncodingFor(PngCompression::Fast)), std::vector<int>(48, 2));
}

TEST(PngFileTest, FilteredFilesAreNoLargerThanUnfilteredLevel6) {
    // A photograph-like image of gradients and noise at both depths: every
    // compression, even the fastest, is smaller than unfiltered level 6 made
    // it; small is no larger than default.
    for (int bits : {8, 16}) {
        const PngImage image = GradientImage(300, 200, 3, bits, 4, 77 + uint64_t(bits));
        const size_t reference = OneShotFile(image).size();
        const size_t fast = EncodePng(image, EncodingFor(PngCompression::Fast)).size();
        const size_t standard = EncodePng(image, EncodingFor(PngCompression::Default)).size();
        const size_t small = EncodePng(image, EncodingFor(PngCompression::Small)).size();
        EXPECT_LT(fast, reference) << bits << " bits";
        EXPECT_LT(standard, reference) << bits << " bits";
        EXPECT_LE(standard, fast) << bits << " bits";
        EXPECT_LE(small, standard) << bits << " bits";
    }
}

TEST(PngFileTest, UnfilteredLevel6IsWhatOneShotCompressionGives) {
    // The larger images take many 64 KB pieces of compressed output.
    for (auto [w, h, channels, bits] : {std::array{1, 1, 1, 8}, {37, 11, 3, 8}, {300, 200, 4, 16}, {640, 480, 3, 8}}) {
        PngImage image = RandomImage(w, h, channels, bits, uint64_t(w * h));
        // Smooth rows compress well, noise badly: half of each.
        for (size_t i = image.samples.size() / 2; i < image.samples.size(); ++i)
            image.samples[i] = uint16_t(i / 7 % 200);
        const Bytes expected = OneShotFile(image);
        EXPECT_EQ(EncodePng(image, UnfilteredLevel6()), expected) << w << "x" << h;
        const std::string path = TestTempPath("oneshot.png");
        std::string error;
        PngWriter writer(UnfilteredLevel6());
        ASSERT_TRUE(writer.Open(path, w, h, channels, bits, &error)) << error;
        const size_t perRow = size_t(w) * channels;
        Bytes row(writer.rowBytes());
        for (int y = 0; y < h; ++y) {
            for (size_t i = 0, to = 0; i < perRow; ++i) {
                const uint16_t v = image.samples[size_t(y) * perRow + i];
                if (bits == 16) row[to++] = uint8_t(v >> 8);
                row[to++] = uint8_t(v);
            }
            ASSERT_TRUE(writer.WriteRow(row.data(), &error)) << error;
        }
        ASSERT_TRUE(writer.Finish(&error)) << error;
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
    const std::string path = TestTempPath("split.png");
    std::string error;
    PngWriter writer(PngCompression::Default, 1000);
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
    EXPECT_FALSE(WritePng(TestTempPath("no-such-folder/out.png"), image, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    image.samples.pop_back();
    EXPECT_FALSE(WritePng(TestTempPath("short.png"), image, &error));
    EXPECT_TRUE(EncodePng(image).empty());
}

// The kept chunks, in order, as "TYPE before|after size".
std::vector<std::string> Kept(const std::vector<PngKeptChunk>& chunks) {
    std::vector<std::string> out;
    for (const PngKeptChunk& c : chunks)
        out.push_back(png::TypeName(c.type) + (c.afterImageData ? " after " : " before ") +
                      std::to_string(c.data.size()));
    return out;
}

// The colour and picture chunks of a file reach a file written from it
// unchanged; tIME, sBIT and bKGD do not; a chunk that may only precede the
// image data goes there even where the file had it after (as some writers
// misplace pHYs); the written file reads back with the same chunks.
TEST(PngFileTest, ColourAndPictureChunksAreKeptWhereTheyBelong) {
    for (int depth : {8, 16}) {
        tavirel::test::TestPng png;
        png.width = 5, png.height = 3, png.depth = depth, png.colourType = 2;
        for (int i = 0; i < 5 * 3 * 3; ++i) png.values.push_back(uint16_t(i * 17 % (depth == 16 ? 65536 : 256)));
        const Bytes profile(1000, 0x5A);
        png.before = {
            {"iCCP", profile},       {"sBIT", {8, 8, 8}},     {"cHRM", Bytes(32, 3)}, {"gAMA", {0, 0, 0xB1, 0x8F}},
            {"cICP", {1, 13, 0, 1}}, {"tEXt", {'a', 0, 'b'}}, {"bKGD", Bytes(6, 0)},  {"eXIf", {'M', 'M', 0, 42}}};
        png.after = {{"tIME", Bytes(7, 1)}, {"zTXt", {'k', 0, 0, 1}}, {"pHYs", Bytes(9, 2)}, {"iTXt", {'c', 0, 0, 0}}};
        png.idatPieces = 2;
        const std::string in = TestTempPath("chunks-in.png"), out = TestTempPath("chunks-out.png");
        ASSERT_TRUE(tavirel::test::WriteBytes(in, tavirel::test::BuildPng(png)));

        PngReader reader;
        std::string error;
        ASSERT_TRUE(reader.Open(in, &error)) << error;
        EXPECT_EQ(Kept(reader.keptChunks()).size(), 6u) << "before the image data, once opened";
        std::vector<uint16_t> samples;
        ASSERT_TRUE(reader.ReadRows(
            [&](int, int, int, int n, const uint16_t* s) { samples.insert(samples.end(), s, s + 3 * n); }, &error))
            << error;
        const std::vector<std::string> expected = {"iCCP before 1000", "cHRM before 32", "gAMA before 4",
                                                   "cICP before 4",    "tEXt before 3",  "eXIf before 4",
                                                   "zTXt after 4",     "pHYs after 9",   "iTXt after 4"};
        EXPECT_EQ(Kept(reader.keptChunks()), expected) << depth;
        EXPECT_EQ(reader.keptChunks()[0].data, profile);

        PngWriter writer;
        writer.KeepChunks(reader.keptChunks());
        ASSERT_TRUE(writer.Open(out, 5, 3, 3, depth, &error)) << error;
        std::vector<uint8_t> row(writer.rowBytes());
        for (int y = 0; y < 3; ++y) {
            for (size_t i = 0; i < 15; ++i) {
                const uint16_t v = samples[size_t(y) * 15 + i];
                if (depth == 16)
                    row[2 * i] = uint8_t(v >> 8), row[2 * i + 1] = uint8_t(v);
                else
                    row[i] = uint8_t(v);
            }
            ASSERT_TRUE(writer.WriteRow(row.data(), &error)) << error;
        }
        ASSERT_TRUE(writer.Finish(&error)) << error;

        PngReader again;
        ASSERT_TRUE(again.Open(out, &error)) << error;
        ASSERT_TRUE(again.ReadRows([](int, int, int, int, const uint16_t*) {}, &error)) << error;
        std::vector<std::string> moved = expected;
        moved.erase(moved.begin() + 7);
        moved.insert(moved.begin() + 6, "pHYs before 9");
        EXPECT_EQ(Kept(again.keptChunks()), moved) << depth;
        for (size_t i = 0; i < again.keptChunks().size(); ++i) {
            const auto& c = again.keptChunks()[i];
            const auto source = std::find_if(reader.keptChunks().begin(), reader.keptChunks().end(),
                                             [&](const PngKeptChunk& k) { return k.type == c.type; });
            ASSERT_NE(source, reader.keptChunks().end());
            EXPECT_EQ(c.data, source->data) << png::TypeName(c.type);
        }
    }
}

// A file of a few hundred bytes whose header claims 30000 x 30000 RGBA (7.2
// GB of samples at 16 bits) and whose data ends after a few rows: refused as
// damaged (or, where the address space is short, for memory) by both readers,
// the plain one and the host's, without the memory for the rows it lacks ever
// being touched.
TEST(PngFileTest, AFileThatEndsEarlyTouchesNoMemoryForTheRowsItLacks) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer writes the shadow of a whole allocation (900 MB here) as it is made";
#endif
    using Reader = bool (*)(const std::string&, std::string*);
    const std::pair<const char*, Reader> readers[] = {
        {"ReadPng",
         [](const std::string& path, std::string* error) {
             PngImage image;
             return ReadPng(path, &image, error);
         }},
        {"ReadPngDocument",
         [](const std::string& path, std::string* error) {
             Document document;
             PngOrigin origin;
             return ReadPngDocument(path, &document, &origin, error, 1 << 30);
         }},
    };
    for (const auto& [name, read] : readers) {
        for (int depth : {8, 16}) {
            for (bool interlaced : {false, true}) {
                SCOPED_TRACE(std::string(name) + ", " + std::to_string(depth) + " bits" +
                             (interlaced ? ", interlaced" : ""));
                tavirel::test::TestPng huge;
                huge.width = huge.height = 30000, huge.depth = depth, huge.colourType = 6;
                huge.interlaced = interlaced;
                const std::string path = TestTempPath("ends-early.png");
                ASSERT_TRUE(tavirel::test::WriteBytes(path, BuildPng(huge, tavirel::test::Compress(Bytes(100000, 0)))));
                rusage before{}, after{};
                getrusage(RUSAGE_SELF, &before);
                std::string error;
                EXPECT_FALSE(read(path, &error));
                getrusage(RUSAGE_SELF, &after);
                EXPECT_TRUE(error.find("is damaged") != std::string::npos ||
                            error.find("out of memory") != std::string::npos)
                    << error;
                EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kB more at the peak";
                std::remove(path.c_str());
            }
        }
    }
}

}  // namespace
}  // namespace filterhost
