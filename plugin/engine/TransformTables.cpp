#include "TransformTables.h"

#include <cmath>

#include "../filter/FilterParameters.h"

namespace tavirel {

int32_t hueWeight[kHueIndexCount];
int32_t brightnessFactor[kSaturationIndexCount];
int32_t saturationMap[kSaturationIndexCount];
int32_t saturationPair[kSaturationIndexCount];
int32_t destinationHueIndex;

namespace {

int32_t Setting(int colour, int index, int32_t high) {
    const int32_t v = GetParameterComponent(colour, index);
    return v < 0 ? 0 : (v > high ? high : v);
}

// Tenths of a degree to a hue index: the whole circle 3600 maps to 1531.
int32_t HueIndexFromSetting(int32_t hue) { return (hue * 1531 + 1800) / 3600; }
// Tenths of a percent to 1024ths.
int32_t UnitFromPercent(int32_t tenths) { return (tenths * 1024 + 500) / 1000; }

}  // namespace

int BuildTransformTables() {
    const int32_t hs = HueIndexFromSetting(Setting(kSourceColour, kHueIndex, kHueMax));
    const int32_t hd = HueIndexFromSetting(Setting(kDestinationColour, kHueIndex, kHueMax));
    const int32_t ss = UnitFromPercent(Setting(kSourceColour, kSaturationIndex, kPercentMax));
    const int32_t sd = UnitFromPercent(Setting(kDestinationColour, kSaturationIndex, kPercentMax));
    const int32_t bd = UnitFromPercent(Setting(kDestinationColour, kBrightnessIndex, kPercentMax));
    const int32_t rg = (Setting(kSourceColour, kRangeIndex, kPercentMax) * 512 + 500) / 1000;
    destinationHueIndex = hd;

    // Replacement saturation rises linearly and meets Sd at i = Ss; the
    // brightness factor falls linearly from 1024 to Bd at i = Ss, cut at 0.
    // Both divisions round half up (half = floor(Ss / 2) added first).
    for (int32_t i = 0; i < kSaturationIndexCount; ++i) {
        if (ss == 0) {
            saturationMap[i] = 0;
            brightnessFactor[i] = 1024;
            continue;
        }
        const int32_t half = ss / 2;
        const int32_t mapped = (i * sd + half) / ss;
        saturationMap[i] = mapped < 1024 ? mapped : 1024;
        const int32_t q = (i * (1024 - bd) + half) / ss;
        brightnessFactor[i] = q >= 1024 ? 0 : 1024 - q;
    }
    for (int32_t i = 0; i < kSaturationIndexCount; ++i)
        saturationPair[i] = brightnessFactor[i] | (saturationMap[i] << 16);

    // A quarter cosine over the circular distance from Hs: 65536 at the source
    // hue, reaching 0 at distance Rg + 1 and cut to 0 from distance Rg on. The
    // constant is the decimal 1.5707963267949 (not pi / 2 exactly); multiply
    // first, then divide, in double precision; the weight is truncated.
    for (int32_t h = 0; h < kHueIndexCount; ++h) {
        int32_t d = hs - h;
        if (d < -765)
            d += 1531;
        else if (d > 765)
            d -= 1531;
        if (d < 0) d = -d;
        if (d >= rg) {
            hueWeight[h] = 0;
        } else {
            const double x = (double(d) * 1.5707963267949) / double(rg + 1);
            hueWeight[h] = int32_t(65536.0 * std::cos(x));
        }
    }
    return 0;
}

}  // namespace tavirel
