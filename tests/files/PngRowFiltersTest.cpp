// The writer's row filters against the filters written out plainly, byte by
// byte with PNG's Paeth predictor as its branches define it, on seeded random
// rows at every pixel width; the reader's undoing of each; and the per-row
// choice on rows made for one filter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "common/TestRandom.h"
#include "filterhost/lib/PngRowFilters.h"

namespace filterhost {
namespace {

using Bytes = std::vector<uint8_t>;

int PlainPredict(int type, int a, int b, int c) {
    switch (type) {
        case 1: return a;
        case 2: return b;
        case 3: return (a + b) / 2;
        case 4: {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            if (pa <= pb && pa <= pc) return a;
            if (pb <= pc) return b;
            return c;
        }
        default: return 0;
    }
}

// A row and the one above with bpp zero bytes in front, as FilterRow takes them.
struct Rows {
    Bytes row, above;
    size_t bpp;
    PngRowPair pair() const { return {row.data() + bpp, above.data() + bpp, row.size() - bpp, bpp}; }
    uint8_t at(const Bytes& r, size_t i) const { return r[bpp + i]; }
};

Rows MakeRows(size_t n, size_t bpp) {
    Rows r;
    r.bpp = bpp;
    r.row.assign(bpp + n, 0);
    r.above.assign(bpp + n, 0);
    return r;
}

// Seeded rows of mostly near neighbours, so that every branch of Paeth is taken.
Rows NearNeighbourRows(tavirel::test::TestRandom& random, size_t n, size_t bpp) {
    Rows r = MakeRows(n, bpp);
    for (size_t i = 0; i < n; ++i) {
        const int base = int(random.UpTo(255));
        r.row[bpp + i] = uint8_t(random.UpTo(3) == 0 ? random.UpTo(255) : base + random.UpTo(4));
        r.above[bpp + i] = uint8_t(random.UpTo(3) == 0 ? random.UpTo(255) : base + random.UpTo(4));
    }
    return r;
}

TEST(PngRowFiltersTest, EveryFilterIsThePlainOne) {
    tavirel::test::TestRandom random(0x46494C54);
    for (size_t bpp = 1; bpp <= 8; ++bpp) {
        for (size_t n : {bpp, 3 * bpp, 37 * bpp, 1000 * bpp}) {
            const Rows r = NearNeighbourRows(random, n, bpp);
            for (int type = 0; type < kPngFilterTypes; ++type) {
                Bytes out(n);
                const uint64_t sum = FilterRow(PngFilterType(type), r.pair(), out.data());
                uint64_t plainSum = 0;
                for (size_t i = 0; i < n; ++i) {
                    const int a = i >= bpp ? r.at(r.row, i - bpp) : 0, b = r.at(r.above, i),
                              c = i >= bpp ? r.at(r.above, i - bpp) : 0;
                    const uint8_t expected = uint8_t(r.at(r.row, i) - PlainPredict(type, a, b, c));
                    ASSERT_EQ(out[i], expected) << "type " << type << ", bpp " << bpp << ", byte " << i;
                    plainSum += uint64_t(std::abs(int(int8_t(expected))));
                }
                EXPECT_EQ(sum, plainSum) << "type " << type << ", bpp " << bpp;
            }
        }
    }
}

// Every filter undone gives the row back, at every pixel width, on rows of
// whole pixels (the reader's vector path for 3 to 8 bytes) and not (the byte
// path), each in a buffer of exactly its size so that a read or write past
// either end shows under the sanitizers. Types PNG lacks leave the row as it was.
TEST(PngRowFiltersTest, UnfilteringGivesTheRowBack) {
    tavirel::test::TestRandom random(0x554E4649);
    for (size_t bpp = 1; bpp <= 8; ++bpp) {
        for (size_t n : {bpp, 2 * bpp, 37 * bpp, 1000 * bpp + 1, 4096 * bpp}) {
            const Rows r = NearNeighbourRows(random, n, bpp);
            for (int type = 0; type < kPngFilterTypes; ++type) {
                Bytes filtered(bpp + n, 0);
                FilterRow(PngFilterType(type), r.pair(), filtered.data() + bpp);
                ASSERT_TRUE(UnfilterRow(uint8_t(type), filtered.data() + bpp, r.above.data() + bpp, n, bpp));
                ASSERT_EQ(filtered, r.row) << "type " << type << ", bpp " << bpp << ", " << n << " bytes";
            }
            for (uint8_t type : {uint8_t(5), uint8_t(255)}) {
                Bytes untouched = r.row;
                EXPECT_FALSE(UnfilterRow(type, untouched.data() + bpp, r.above.data() + bpp, n, bpp));
                EXPECT_EQ(untouched, r.row);
            }
        }
    }
}

TEST(PngRowFiltersTest, TheChoiceIsTheFilterARowWasMadeFor) {
    // For each filter a row it turns into zeros while the others leave a
    // residual: the row is built from the row above by that filter's own
    // prediction. For Paeth the row above is drawn so that each byte's
    // prediction is a or c at random, never equal to b (a pick of b would
    // make the next a equal its c, after which Paeth picks b for good).
    tavirel::test::TestRandom random(21);
    for (size_t bpp : {1, 3, 6}) {
        const size_t n = 64 * bpp;
        Bytes candidates(kPngFilterTypes * n);
        uint8_t* outs[kPngFilterTypes];
        for (int t = 0; t < kPngFilterTypes; ++t) outs[t] = candidates.data() + t * n;
        for (int type = 0; type < kPngFilterTypes; ++type) {
            Rows r = MakeRows(n, bpp);
            for (size_t i = 0; i < n; ++i) {
                const int a = r.row[i], c = r.above[i];  // index i: the byte bpp to the left
                int b = int(random.UpTo(255));
                const bool pickA = random.UpTo(1) == 0;
                for (int t = 0, from = b; type == 4 && t < 256; ++t) {
                    const int candidate = (from + t) & 255;
                    const int wanted = pickA ? a : c;
                    if (candidate != a && candidate != c && a != c && PlainPredict(4, a, candidate, c) == wanted) {
                        b = candidate;
                        break;
                    }
                }
                r.above[bpp + i] = uint8_t(b);
                // From the zeros on the left, Sub would make a row of zeros and
                // Paeth a copy of the row above: their first pixel is off by 40.
                const int offset = (type == 1 || type == 4) && i < bpp ? 40 : 0;
                r.row[bpp + i] = type == 0 ? 0 : uint8_t(PlainPredict(type, a, b, c) + offset);
            }
            EXPECT_EQ(int(ChooseRowFilter(r.pair(), outs)), type) << "bpp " << bpp;
        }
        // A horizontal ramp picks Sub; a copy of the row above picks Up.
        Rows ramp = MakeRows(n, bpp);
        for (size_t i = 0; i < n; ++i) ramp.row[bpp + i] = uint8_t(i / bpp * 3), ramp.above[bpp + i] = uint8_t(i * 5);
        EXPECT_EQ(ChooseRowFilter(ramp.pair(), outs), PngFilterType::Sub);
        Rows same = MakeRows(n, bpp);
        for (size_t i = 0; i < n; ++i) same.row[bpp + i] = same.above[bpp + i] = uint8_t(random.UpTo(255));
        EXPECT_EQ(ChooseRowFilter(same.pair(), outs), PngFilterType::Up);
        // The candidates hold each filter's bytes.
        for (int t = 0; t < kPngFilterTypes; ++t) {
            Bytes alone(n);
            FilterRow(PngFilterType(t), same.pair(), alone.data());
            EXPECT_TRUE(Bytes(outs[t], outs[t] + n) == alone) << t;
        }
    }
}

}  // namespace
}  // namespace filterhost
