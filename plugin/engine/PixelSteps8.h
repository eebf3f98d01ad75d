// The steps of the 8-bit hue transform for one pixel, shared by the plain and
// the fast row paths so that both compute the same formulas.
#pragma once

#include <cstdint>

#include "StaticTables.h"

namespace tavirel::pixel8 {

struct HueAndExtremes {
    int hue;  // 0..1530; magenta sits at 1276 in this variant
    int max;  // the pixel's brightness
    int min;
};

// Hue index by sector; the quotient is Q[n][d], 255 n / d rounded half up.
// A grey pixel has hue 0.
inline HueAndExtremes Classify(int r, int g, int b) {
    if (r >= g) {
        if (g >= b) return {r == b ? 0 : Quotient(g - b, r - b), r, b};
        if (r >= b) return {1531 - Quotient(b - g, r - g), r, g};
        return {1021 + Quotient(r - g, b - g), b, g};
    }
    if (g <= b) return {1021 - Quotient(g - r, b - r), b, r};
    if (r <= b) return {510 + Quotient(b - r, g - r), g, r};
    return {510 - Quotient(r - b, g - b), g, b};
}

// Saturation index: (max - min) 1024 / max rounded half up; 0 for grey.
inline int SaturationIndex(int max, int min) { return max == min ? 0 : ((max - min) * 1024 + max / 2) / max; }

struct Colour {
    int r, g, b;
};

// The replacement colour on destination hue hd for a pixel of brightness max,
// given F = brightnessFactor[s] and S = saturationMap[s].
inline Colour Replacement(int max, int32_t factor, int32_t mappedSaturation, int hd) {
    // Brightness on a 0..1024 scale: (max + 1) F / 256, truncated.
    const int m = ((max + 1) * factor) >> 8;
    // 255 M / 1024 rounded half up.
    const int top = (255 * m + 512) >> 10;
    if (m == 0 || mappedSaturation == 0) return {top, top, top};
    // 255 (1024 - S) M / 2^20 rounded half up.
    const int bottom = (255 * (1024 - mappedSaturation) * m + 524288) >> 20;
    const int span = top - bottom;
    if (hd < 256) return {top, bottom + Proportion(hd, span), bottom};
    if (hd < 511) return {bottom + Proportion(510 - hd, span), top, bottom};
    if (hd < 766) return {bottom, top, bottom + Proportion(hd - 510, span)};
    if (hd < 1021) return {bottom, bottom + Proportion(1021 - hd, span), top};
    if (hd < 1276) return {bottom + Proportion(hd - 1021, span), bottom, top};
    return {top, bottom, bottom + Proportion(1531 - hd, span)};
}

// in + w (new - in) / 65536 rounded towards minus infinity: the arithmetic
// shift of the signed product (|product| < 2^24 here).
inline uint8_t Blend(int in, int replacement, int32_t w) { return uint8_t(in + ((w * (replacement - in)) >> 16)); }

}  // namespace tavirel::pixel8
