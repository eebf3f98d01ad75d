#include "PngRowFilters.h"

#include <algorithm>

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
