// Our deflate coder for image rows: every stream inflates back to its input
// through zlib (which also checks the Adler-32) and through stb_image's own
// inflate; runs of every length, copies across blocks and the 32 KB window,
// stored blocks for noise, zlib's rival blocks spliced in; and the Huffman
// codes under it complete and within their length limit.
#include <gtest/gtest.h>
#include <zlib.h>

#include <stb_image.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/TestRandom.h"
#include "filterhost/lib/HuffmanCode.h"
#include "filterhost/lib/RowDeflater.h"

namespace filterhost {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Deflate(const Bytes& input, const RowDeflaterSettings& settings, size_t rowLength, int sampleBytes) {
    RowDeflater coder;
    EXPECT_TRUE(coder.Open(settings, rowLength, sampleBytes));
    Bytes out;
    // Fed in uneven pieces, as rows of another length would come.
    size_t at = 0;
    for (size_t piece = 1; at < input.size(); piece = piece * 3 % 1009 + 1) {
        size_t n = std::min(piece, input.size() - at);
        while (n > 0) {
            const size_t took = coder.Take(input.data() + at, n);
            at += took, n -= took;
            if (coder.full()) {
                coder.CodeBlock(false);
                out.insert(out.end(), coder.output(), coder.output() + coder.outputSize());
                coder.ClearOutput();
            }
        }
    }
    coder.CodeBlock(true);
    out.insert(out.end(), coder.output(), coder.output() + coder.outputSize());
    return out;
}

// Inflated by zlib (with its checksum) and by stb_image; both must give the input.
void ExpectInflatesTo(const Bytes& stream, const Bytes& input, const std::string& what) {
    Bytes back(input.size() + 1);
    uLongf size = uLongf(back.size());
    ASSERT_EQ(uncompress(back.data(), &size, stream.data(), uLong(stream.size())), Z_OK) << what;
    back.resize(size);
    EXPECT_TRUE(back == input) << what;
    int length = 0;
    char* stb = stbi_zlib_decode_malloc(reinterpret_cast<const char*>(stream.data()), int(stream.size()), &length);
    ASSERT_NE(stb, nullptr) << what;
    EXPECT_TRUE(Bytes(stb, stb + length) == input) << what;
    std::free(stb);
}

RowDeflaterSettings Blocks(size_t bytes, int rivalLevel = 0) {
    RowDeflaterSettings s;
    s.blockBytes = bytes;
    s.rivalLevel = rivalLevel;
    return s;
}

TEST(RowDeflaterTest, RunsOfEveryLengthComeBack) {
    // Runs of 1 to 700 bytes (a run past 258 goes in pieces, none under 3),
    // each after a byte of another value, in blocks that cut runs anywhere.
    Bytes input;
    for (int length = 1; length <= 700; ++length) {
        input.push_back(uint8_t(length * 7));
        input.insert(input.end(), size_t(length), uint8_t(length % 251));
    }
    for (size_t block : {16, 100, 4096, 1 << 18})
        for (int sampleBytes : {1, 2}) {
            const Bytes stream = Deflate(input, Blocks(block), 7, sampleBytes);
            ExpectInflatesTo(stream, input, std::to_string(block) + "-byte blocks, " + std::to_string(sampleBytes));
            if (block >= 4096) {
                EXPECT_LT(stream.size(), input.size() / 20) << block;
            }
        }
}

TEST(RowDeflaterTest, CopiesReachAcrossBlocksButNotPastTheWindow) {
    // Rows of 301 bytes at 16 bits: a stretch of noise comes again 67 rows
    // on (within reach) and again 70 KB on (out of reach), between stretches
    // of other noise. Copies start where samples do, so the repeat is a whole
    // number of rows on, as in an image.
    tavirel::test::TestRandom random(5);
    Bytes stretch(40 * 301), input;
    for (uint8_t& b : stretch) b = uint8_t(random.Next());
    auto noise = [&](size_t n) {
        for (size_t i = 0; i < n; ++i) input.push_back(uint8_t(random.Next()));
    };
    input.insert(input.end(), stretch.begin(), stretch.end());
    noise(27 * 301);
    input.insert(input.end(), stretch.begin(), stretch.end());
    noise(70000);
    input.insert(input.end(), stretch.begin(), stretch.end());
    for (size_t block : {100, 5000, 1 << 18}) {
        const Bytes stream = Deflate(input, Blocks(block), 301, 2);
        ExpectInflatesTo(stream, input, std::to_string(block) + "-byte blocks");
        if (block == 100) continue;  // the blocks' own tables outweigh what copies save
        // Only the repeat in reach is saved (most of it: the hash table keeps
        // one position a hash); the rest is noise.
        EXPECT_LT(stream.size(), input.size() - stretch.size() / 2) << block;
        EXPECT_GT(stream.size(), input.size() - stretch.size()) << block;
    }
    // Runs only: the repeat is not found.
    RowDeflaterSettings runs = Blocks(5000);
    runs.matches = false;
    EXPECT_GT(Deflate(input, runs, 301, 2).size(), input.size());
}

TEST(RowDeflaterTest, NoiseIsStoredAndShortStreamsAreWhole) {
    tavirel::test::TestRandom random(9);
    Bytes noise(200000);
    for (uint8_t& b : noise) b = uint8_t(random.Next());
    for (int sampleBytes : {1, 2}) {
        const Bytes stream = Deflate(noise, Blocks(1 << 18), 1 + 600, sampleBytes);
        ExpectInflatesTo(stream, noise, "noise");
        // Stored: 5 bytes a 65535-byte piece, the header and the checksum.
        EXPECT_LE(stream.size(), noise.size() + 5 * 4 + 6 + 1);
        for (size_t n : {0, 1, 2, 9, 17}) {
            const Bytes shortInput(noise.begin(), noise.begin() + long(n));
            ExpectInflatesTo(Deflate(shortInput, Blocks(16), 3, sampleBytes), shortInput, std::to_string(n) + " bytes");
        }
    }
}

TEST(RowDeflaterTest, ZlibsRivalBlocksSpliceIn) {
    // Text-like repeats, which zlib's search finds and ours does not, beside
    // noise, where ours wins: the stream takes blocks of both, and is never
    // larger than ours alone.
    tavirel::test::TestRandom random(12);
    const std::string words[] = {"hue ", "saturation ", "lightness ", "range ", "colour ", "rotate "};
    Bytes input;
    for (int part = 0; part < 12; ++part) {
        for (int i = 0; i < 3000; ++i) {
            if (part % 2 == 0) {
                const std::string& w = words[random.UpTo(5)];
                input.insert(input.end(), w.begin(), w.end());
            } else {
                input.push_back(uint8_t(random.UpTo(15)));
            }
        }
    }
    for (int sampleBytes : {1, 2}) {
        for (size_t block : {1000, 20000}) {
            const Bytes ours = Deflate(input, Blocks(block), 1 + 300, sampleBytes);
            const Bytes both = Deflate(input, Blocks(block, 9), 1 + 300, sampleBytes);
            ExpectInflatesTo(both, input, "with zlib's rival");
            EXPECT_LT(both.size(), ours.size() * 9 / 10) << block;
        }
    }
}

// The code is complete (Kraft sum exactly 1), prefix-free, within the limit,
// and gives a code to every symbol counted.
void ExpectGoodCode(const std::vector<uint32_t>& counts, int limit) {
    const int n = int(counts.size());
    std::vector<uint8_t> lengths(n);
    std::vector<uint16_t> codes(n);
    HuffmanLengths(counts.data(), n, limit, lengths.data());
    HuffmanCodes(lengths.data(), n, codes.data());
    uint64_t kraft = 0;
    int coded = 0;
    for (int i = 0; i < n; ++i) {
        EXPECT_LE(lengths[i], limit);
        if (counts[i] != 0) {
            EXPECT_GT(lengths[i], 0) << "symbol " << i;
        }
        if (lengths[i] != 0) kraft += uint64_t(1) << (limit - lengths[i]), ++coded;
    }
    EXPECT_EQ(kraft, uint64_t(1) << limit);
    EXPECT_GE(coded, 2);
    // Codes go out bit-reversed; no code may begin another.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (i != j && lengths[i] != 0 && lengths[j] != 0 && lengths[i] <= lengths[j]) {
                EXPECT_NE(codes[i], codes[j] & ((1u << lengths[i]) - 1)) << i << " begins " << j;
            }
}

TEST(HuffmanCodeTest, CodesAreCompleteWithinTheirLimit) {
    // Fibonacci counts make a Huffman tree as deep as there are symbols.
    std::vector<uint32_t> fibonacci(30);
    fibonacci[0] = fibonacci[1] = 1;
    for (size_t i = 2; i < fibonacci.size(); ++i) fibonacci[i] = fibonacci[i - 1] + fibonacci[i - 2];
    ExpectGoodCode(fibonacci, 15);
    ExpectGoodCode(std::vector<uint32_t>(fibonacci.begin(), fibonacci.begin() + 19), 7);
    tavirel::test::TestRandom random(3);
    std::vector<uint32_t> skewed(286);
    for (uint32_t& c : skewed) c = random.UpTo(3) == 0 ? 0 : uint32_t(1) << random.UpTo(20);
    ExpectGoodCode(skewed, 15);
    // One symbol, or none: two codes of one bit all the same.
    std::vector<uint32_t> one(19);
    one[7] = 100;
    ExpectGoodCode(one, 7);
    ExpectGoodCode(std::vector<uint32_t>(30), 15);
    // Equal counts: equal lengths.
    std::vector<uint8_t> lengths(256);
    const std::vector<uint32_t> flat(256, 5);
    HuffmanLengths(flat.data(), 256, 15, lengths.data());
    EXPECT_EQ(lengths, std::vector<uint8_t>(256, 8));
}

}  // namespace
}  // namespace filterhost
