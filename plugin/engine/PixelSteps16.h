// The steps of the 16-bit hue transform for one pixel, shared by the plain and
// the fast row paths. Samples are on the host scale 0..32768.
#pragma once

#include <cstdint>

namespace tavirel::pixel16 {

struct HueAndExtremes {
    int32_t hue;  // 0..1530; magenta sits at 1275 in this variant
    int32_t max;
    int32_t min;
};

// The hue quotient is floor(255 n / d). A grey pixel has hue 0.
inline int32_t Quotient(int32_t n, int32_t d) { return int32_t(uint32_t(255 * n) / uint32_t(d)); }

inline HueAndExtremes Classify(int32_t r, int32_t g, int32_t b) {
    if (r >= g) {
        if (g >= b) return {r == b ? 0 : Quotient(g - b, r - b), r, b};
        if (r >= b) return {1530 - Quotient(b - g, r - g), r, g};
        return {1021 + Quotient(r - g, b - g), b, g};
    }
    if (g <= b) return {1021 - Quotient(g - r, b - r), b, r};
    if (r <= b) return {510 + Quotient(b - r, g - r), g, r};
    return {510 - Quotient(r - b, g - b), g, b};
}

// Saturation index: (max - min) 1024 / max rounded half up; 0 for grey.
inline int32_t SaturationIndex(int32_t max, int32_t min) {
    return max == min ? 0 : int32_t((uint32_t(max - min) * 1024 + uint32_t(max) / 2) / uint32_t(max));
}

struct Colour {
    int32_t r, g, b;
};

inline Colour Replacement(int32_t max, int32_t factor, int32_t mappedSaturation, int32_t hd) {
    // Brightness on a 0..2047 scale: floor(max / 32) F / 1024, truncated.
    const int32_t m = ((max >> 5) * factor) >> 10;
    const int32_t top = 32 * m;
    if (m == 0 || mappedSaturation == 0) return {top, top, top};
    // (1024 - S) M / 32 rounded half up.
    const int32_t bottom = ((1024 - mappedSaturation) * m + 16) >> 5;
    const int32_t span = top - bottom;
    // In-sector share f span / 256, truncated: within a sector the
    // interpolated channel never quite reaches top.
    auto share = [span](int32_t f) { return (f * span) >> 8; };
    if (hd < 256) return {top, bottom + share(hd), bottom};
    if (hd < 511) return {bottom + share(510 - hd), top, bottom};
    if (hd < 766) return {bottom, top, bottom + share(hd - 510)};
    if (hd < 1021) return {bottom, bottom + share(1021 - hd), top};
    if (hd < 1276) return {bottom + share(hd - 1021), bottom, top};
    return {top, bottom, bottom + share(1531 - hd)};
}

// in + w (new - in) / 65536 rounded towards minus infinity, in 64 bits: the
// product reaches 65536 x 65535.
inline uint16_t Blend(int32_t in, int32_t replacement, int32_t w) {
    return uint16_t(in + int32_t((int64_t(w) * (replacement - in)) >> 16));
}

}  // namespace tavirel::pixel16
