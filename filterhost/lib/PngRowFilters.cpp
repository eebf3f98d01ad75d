#include "PngRowFilters.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace filterhost {
namespace {

// |d| of a byte d read as signed: d up to 128, 256 - d above it, which is the
// smaller of d and -d modulo 256, so no branch (one unsigned minimum a byte).
inline uint32_t Magnitude(uint8_t d) { return std::min(d, uint8_t(0u - d)); }

// Rows are cut into blocks this long, so a 32-bit sum of magnitudes (at most
// 128 a byte) cannot overflow; real rows are far shorter.
constexpr size_t kBlock = size_t(1) << 24;

// One filter over the row: the byte minus predict(a, b, c). The left and
// upper-left bytes come through pointers bpp behind, into the zero bytes in
// front of the rows, so the first pixel needs no branch of its own. Every
// filter's loop is then independent from byte to byte and vectorises.
template <typename Predict>
uint64_t Apply(const PngRowPair& r, uint8_t* __restrict out, Predict predict) {
    const uint8_t* __restrict x = r.row;
    const uint8_t* __restrict b = r.above;
    const uint8_t* __restrict a = r.row - r.bpp;
    const uint8_t* __restrict c = r.above - r.bpp;
    uint64_t total = 0;
    for (size_t start = 0; start < r.n; start += kBlock) {
        const size_t end = std::min(r.n, start + kBlock);
        uint32_t sum = 0;
        for (size_t i = start; i < end; ++i) {
            const uint8_t d = uint8_t(x[i] - predict(a[i], b[i], c[i]));
            out[i] = d;
            sum += Magnitude(d);
        }
        total += sum;
    }
    return total;
}

// The Paeth predictor without branches: with p = a + b - c, the distances
// |p - a| = |b - c|, |p - b| = |a - c| and |p - c| = |a + b - 2c| need 10 bits.
inline uint8_t PaethPredict(uint8_t a, uint8_t b, uint8_t c) {
    const int16_t pa = int16_t(std::abs(b - c)), pb = int16_t(std::abs(a - c)), pc = int16_t(std::abs(a + b - 2 * c));
    const uint8_t bOrC = pb <= pc ? b : c;
    return pa <= pb && pa <= pc ? a : bOrC;
}

}  // namespace

uint64_t FilterRow(PngFilterType type, const PngRowPair& rows, uint8_t* out) {
    switch (type) {
        case PngFilterType::None: return Apply(rows, out, [](uint8_t, uint8_t, uint8_t) { return uint8_t(0); });
        case PngFilterType::Sub: return Apply(rows, out, [](uint8_t a, uint8_t, uint8_t) { return a; });
        case PngFilterType::Up: return Apply(rows, out, [](uint8_t, uint8_t b, uint8_t) { return b; });
        case PngFilterType::Average:
            // floor((a + b) / 2) in 8 bits: the shared bits plus half the differing ones.
            return Apply(rows, out, [](uint8_t a, uint8_t b, uint8_t) { return uint8_t((a & b) + ((a ^ b) >> 1)); });
        case PngFilterType::Paeth: return Apply(rows, out, PaethPredict);
    }
    return 0;
}

namespace {

// x + predict(a, b, c) byte after byte; a and c are the bytes bpp back,
// which the zero bytes in front of both rows give for the first pixel. Each
// byte depends on the one bpp before it, so this takes no branch but runs at
// the speed of that chain; it serves the sub-byte and 1- and 2-byte pixels.
template <typename Predict>
void Undo(uint8_t* row, const uint8_t* above, size_t n, size_t bpp, Predict predict) {
    // The neighbours through pointers to the zero bytes in front, so that no
    // index runs below zero (row[i - bpp] with i < bpp wraps round).
    const uint8_t* left = row - bpp;
    const uint8_t* aboveLeft = above - bpp;
    for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + predict(left[i], above[i], aboveLeft[i]));
}

// Pixels of 3, 4, 6 or 8 bytes, a pixel at a time: its bytes as 16-bit lanes
// of one register, the pixel to the left (a) and the one above-left (c) kept
// in registers, so the chain from pixel to pixel is a few vector operations.
// Loads and stores move exactly the pixel's bytes, in pieces the processor
// forwards from store to load, and touch nothing past the row.
template <size_t kBpp>
inline __m128i LoadPixel(const uint8_t* p) {
    uint32_t low = 0;
    std::memcpy(&low, p, 4 <= kBpp ? 4 : 2);
    if constexpr (kBpp == 3) low = (low & 0xFFFF) | uint32_t(p[2]) << 16;
    __m128i v;
    if constexpr (kBpp == 8)
        v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    else
        v = _mm_cvtsi32_si128(int(low));
    if constexpr (kBpp == 6) {
        uint16_t high;
        std::memcpy(&high, p + 4, 2);
        v = _mm_insert_epi16(v, high, 2);
    }
    return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}

template <size_t kBpp>
inline void StorePixel(uint8_t* p, __m128i lanes) {
    const __m128i bytes = _mm_packus_epi16(lanes, lanes);
    if constexpr (kBpp == 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
        return;
    }
    const uint32_t low = uint32_t(_mm_cvtsi128_si32(bytes));
    std::memcpy(p, &low, kBpp == 3 ? 2 : 4);
    if constexpr (kBpp == 3) p[2] = uint8_t(low >> 16);
    if constexpr (kBpp == 6) {
        const uint16_t high = uint16_t(_mm_extract_epi16(bytes, 2));
        std::memcpy(p + 4, &high, 2);
    }
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// The predictors on 16-bit lanes holding bytes; the same rules as the writer's.
struct SubLanes {
    __m128i operator()(__m128i a, __m128i, __m128i) const { return a; }
};
struct AverageLanes {
    __m128i operator()(__m128i a, __m128i b, __m128i) const { return _mm_srli_epi16(_mm_add_epi16(a, b), 1); }
};
struct PaethLanes {
    __m128i operator()(__m128i a, __m128i b, __m128i c) const {
        const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
        const __m128i takeA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));  // a loses
        const __m128i bOrC = Select(_mm_cmpgt_epi16(pb, pc), c, b);
        return Select(takeA, bOrC, a);
    }
};

template <size_t kBpp, typename Predict>
void UndoPixels(uint8_t* row, const uint8_t* above, size_t n, Predict predict) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
    for (size_t i = 0; i + kBpp <= n; i += kBpp) {
        const __m128i b = LoadPixel<kBpp>(above + i);
        a = _mm_and_si128(_mm_add_epi16(LoadPixel<kBpp>(row + i), predict(a, b, c)), low);
        StorePixel<kBpp>(row + i, a);
        c = b;
    }
}

template <typename Lanes, typename Predict>
void UndoRow(uint8_t* row, const uint8_t* above, size_t n, size_t bpp, Lanes lanes, Predict predict) {
    if (n % bpp != 0) return Undo(row, above, n, bpp, predict);
    switch (bpp) {
        case 3: return UndoPixels<3>(row, above, n, lanes);
        case 4: return UndoPixels<4>(row, above, n, lanes);
        case 6: return UndoPixels<6>(row, above, n, lanes);
        case 8: return UndoPixels<8>(row, above, n, lanes);
        default: return Undo(row, above, n, bpp, predict);
    }
}

}  // namespace

bool UnfilterRow(uint8_t type, uint8_t* row, const uint8_t* above, size_t n, size_t bpp) {
    switch (type) {
        case 0: return true;
        case 1: UndoRow(row, above, n, bpp, SubLanes{}, [](uint8_t a, uint8_t, uint8_t) { return a; }); return true;
        case 2:
            for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + above[i]);
            return true;
        case 3:
            UndoRow(row, above, n, bpp, AverageLanes{},
                    [](uint8_t a, uint8_t b, uint8_t) { return uint8_t((a & b) + ((a ^ b) >> 1)); });
            return true;
        case 4: UndoRow(row, above, n, bpp, PaethLanes{}, PaethPredict); return true;
        default: return false;
    }
}

PngFilterType ChooseRowFilter(const PngRowPair& rows, uint8_t* const candidates[kPngFilterTypes]) {
    int best = 0;
    uint64_t bestSum = FilterRow(PngFilterType::None, rows, candidates[0]);
    for (int type = 1; type < kPngFilterTypes; ++type) {
        const uint64_t sum = FilterRow(PngFilterType(type), rows, candidates[type]);
        if (sum < bestSum) best = type, bestSum = sum;
    }
    return PngFilterType(best);
}

}  // namespace filterhost
