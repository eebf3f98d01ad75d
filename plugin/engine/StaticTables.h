// The two constant 256 x 256 byte tables of the 8-bit transform, stored row by
// row: entry [a][b] is byte a * 256 + b.
//
// Quotient table, row n (numerator) and column d (denominator):
//   Q[0][d] = 0; Q[n][0] = 255 for n >= 1;
//   Q[n][d] = min(255, floor((255 n + floor(d / 2)) / d)) for d >= 1,
// that is 255 n / d rounded half up and capped, so every n >= d >= 1 gives 255.
//
// Proportion table, row f (sector factor) and column d (span):
//   P[f][d] = floor((f d + 127) / 255), f d / 255 rounded to nearest; symmetric.
#pragma once

#include <array>
#include <cstdint>

namespace tavirel {

using ByteTable = std::array<uint8_t, 256 * 256>;

constexpr ByteTable MakeQuotientTable() {
    ByteTable t{};
    for (int n = 0; n < 256; ++n) {
        for (int d = 0; d < 256; ++d) {
            int v;
            if (n == 0)
                v = 0;
            else if (d == 0)
                v = 255;
            else
                v = (255 * n + d / 2) / d;
            t[n * 256 + d] = uint8_t(v > 255 ? 255 : v);
        }
    }
    return t;
}

constexpr ByteTable MakeProportionTable() {
    ByteTable t{};
    for (int f = 0; f < 256; ++f)
        for (int d = 0; d < 256; ++d) t[f * 256 + d] = uint8_t((f * d + 127) / 255);
    return t;
}

inline constexpr ByteTable kQuotientTable = MakeQuotientTable();
inline constexpr ByteTable kProportionTable = MakeProportionTable();

constexpr uint8_t Quotient(int n, int d) { return kQuotientTable[n * 256 + d]; }
constexpr uint8_t Proportion(int f, int d) { return kProportionTable[f * 256 + d]; }

static_assert(Quotient(1, 2) == 128, "127.5 rounds up");
static_assert(Quotient(2, 3) == 170);
static_assert(Quotient(1, 255) == 1);
static_assert(Quotient(254, 255) == 254);
static_assert(Quotient(0, 0) == 0 && Quotient(0, 200) == 0 && Quotient(7, 0) == 255);
static_assert(Quotient(1, 1) == 255 && Quotient(255, 255) == 255 && Quotient(200, 3) == 255);
static_assert(Proportion(1, 127) == 0);
static_assert(Proportion(1, 128) == 1);
static_assert(Proportion(128, 255) == 128);
static_assert(Proportion(254, 255) == 254);
static_assert(Proportion(255, 255) == 255);
static_assert(Proportion(77, 0) == 0 && Proportion(77, 123) == Proportion(123, 77));

}  // namespace tavirel
