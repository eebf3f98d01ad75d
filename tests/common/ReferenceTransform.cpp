#include "ReferenceTransform.h"

#include <cmath>

#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {
namespace {

using Derived = ReferenceDerived;

Derived Derive(const ReferenceSettings& s) {
    return {(s.sourceHue * 1531 + 1800) / 3600,
            (s.destinationHue * 1531 + 1800) / 3600,
            (s.sourceSaturation * 1024 + 500) / 1000,
            (s.destinationSaturation * 1024 + 500) / 1000,
            (s.destinationBrightness * 1024 + 500) / 1000,
            (s.range * 512 + 500) / 1000};
}

int32_t Weight(const Derived& v, int32_t h) {
    int32_t d = v.hs - h;
    if (d < -765)
        d += 1531;
    else if (d > 765)
        d -= 1531;
    d = d < 0 ? -d : d;
    if (d >= v.rg) return 0;
    return int32_t(65536.0 * std::cos((d * 1.5707963267949) / (v.rg + 1)));
}

int32_t SaturationOf(const Derived& v, int32_t i) {
    if (v.ss == 0) return 0;
    const int32_t m = (i * v.sd + v.ss / 2) / v.ss;
    return m > 1024 ? 1024 : m;
}

int32_t FactorOf(const Derived& v, int32_t i) {
    if (v.ss == 0) return 1024;
    const int32_t q = (i * (1024 - v.bd) + v.ss / 2) / v.ss;
    return q >= 1024 ? 0 : 1024 - q;
}

// Rounded half up for the 8-bit hue (as 255 n / d + 1/2), truncated for 16-bit.
int32_t Quotient(bool eightBit, int32_t n, int32_t d) {
    return eightBit ? int32_t(std::floor(255.0 * n / d + 0.5)) : (255 * n) / d;
}

struct HueSat {
    int32_t hue, saturation, max;
};

HueSat Classify(bool eightBit, Rgb p) {
    const int32_t r = int32_t(p.r), g = int32_t(p.g), b = int32_t(p.b);
    if (r == g && g == b) return {0, 0, r};
    int32_t hue, max, min;
    if (r >= g && g >= b) {
        max = r;
        min = b;
        hue = Quotient(eightBit, g - b, r - b);
    } else if (r >= g && r >= b) {
        max = r;
        min = g;
        hue = (eightBit ? 1531 : 1530) - Quotient(eightBit, b - g, r - g);
    } else if (r >= g) {
        max = b;
        min = g;
        hue = 1021 + Quotient(eightBit, r - g, b - g);
    } else if (g <= b) {
        max = b;
        min = r;
        hue = 1021 - Quotient(eightBit, g - r, b - r);
    } else if (r <= b) {
        max = g;
        min = r;
        hue = 510 + Quotient(eightBit, b - r, g - r);
    } else {
        max = g;
        min = b;
        hue = 510 - Quotient(eightBit, r - b, g - b);
    }
    const int32_t saturation = ((max - min) * 1024 + max / 2) / max;
    return {hue, saturation, max};
}

int32_t FloorDiv(int64_t n, int64_t d) {
    const int64_t q = n / d;
    return int32_t((q * d != n && (n < 0) != (d < 0)) ? q - 1 : q);
}

// weights: Weight(v, h) for every hue index h below kHueIndices.
Rgb Transform(bool eightBit, const Derived& v, const std::vector<int32_t>& weights, Rgb in) {
    const HueSat c = Classify(eightBit, in);
    const int32_t w = c.hue >= 0 && c.hue < kHueIndices ? weights[size_t(c.hue)] : Weight(v, c.hue);
    const int32_t factor = FactorOf(v, c.saturation);
    const int32_t sat = SaturationOf(v, c.saturation);
    int32_t top, bottom;
    bool grey;
    if (eightBit) {
        const int32_t m = (c.max + 1) * factor / 256;
        grey = m == 0 || sat == 0;
        top = (255 * m + 512) / 1024;
        bottom = int32_t((int64_t(255) * (1024 - sat) * m + 524288) / 1048576);
    } else {
        const int32_t m = (c.max / 32) * factor / 1024;
        grey = m == 0 || sat == 0;
        top = 32 * m;
        bottom = ((1024 - sat) * m + 16) / 32;
    }
    if (grey) bottom = top;
    const int32_t span = top - bottom;
    auto share = [&](int32_t f) {
        return eightBit ? int32_t(std::floor(double(f) * span / 255.0 + 0.5)) : f * span / 256;
    };
    const int32_t hd = v.hd;
    int32_t nr, ng, nb;
    if (hd < 256) {
        nr = top;
        ng = bottom + share(hd);
        nb = bottom;
    } else if (hd < 511) {
        nr = bottom + share(510 - hd);
        ng = top;
        nb = bottom;
    } else if (hd < 766) {
        nr = bottom;
        ng = top;
        nb = bottom + share(hd - 510);
    } else if (hd < 1021) {
        nr = bottom;
        ng = bottom + share(1021 - hd);
        nb = top;
    } else if (hd < 1276) {
        nr = bottom + share(hd - 1021);
        ng = bottom;
        nb = top;
    } else {
        nr = top;
        ng = bottom;
        nb = bottom + share(1531 - hd);
    }
    auto blend = [&](uint32_t from, int32_t to) {
        return uint32_t(int32_t(from) + FloorDiv(int64_t(w) * (to - int32_t(from)), 65536));
    };
    return {blend(in.r, nr), blend(in.g, ng), blend(in.b, nb)};
}

}  // namespace

ReferenceTransformer::ReferenceTransformer(const ReferenceSettings& s) : derived_(Derive(s)), weights_(kHueIndices) {
    for (int32_t h = 0; h < kHueIndices; ++h) weights_[size_t(h)] = Weight(derived_, h);
}
Rgb ReferenceTransformer::Transform8(Rgb in) const { return Transform(true, derived_, weights_, in); }
Rgb ReferenceTransformer::Transform16(Rgb in) const { return Transform(false, derived_, weights_, in); }

void ApplyReferenceSettings(const ReferenceSettings& s) {
    currentParameters.sourceHue = s.sourceHue;
    currentParameters.sourceSaturation = s.sourceSaturation;
    currentParameters.sourceBrightness = s.sourceBrightness;
    currentParameters.destinationHue = s.destinationHue;
    currentParameters.destinationSaturation = s.destinationSaturation;
    currentParameters.destinationBrightness = s.destinationBrightness;
    currentParameters.range = s.range;
}

}  // namespace tavirel::test
