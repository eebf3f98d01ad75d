// The fast scalar row transforms. Bit-exact with the plain paths:
// - a pixel whose hue has weight 0 is copied, skipping the saturation index
//   and the replacement colour (out = in + 0 exactly);
// - in 8 bits the saturation index comes from an exact table indexed by
//   (max - min, max) instead of a division.
#include <array>

#include "HueTransform.h"
#include "PixelSteps16.h"
#include "PixelSteps8.h"
#include "SaturationTable8.h"
#include "TransformPaths.h"
#include "TransformTables.h"

namespace tavirel {

void TransformRow8Fast(const uint8_t* in, uint8_t* out, int planes, int count) {
    const int hd = destinationHueIndex;
    for (int i = 0; i < count; ++i, in += planes, out += planes) {
        const int r = in[0], g = in[1], b = in[2];
        const auto c = pixel8::Classify(r, g, b);
        const int32_t w = hueWeight[c.hue];
        if (w == 0) {
            out[0] = uint8_t(r), out[1] = uint8_t(g), out[2] = uint8_t(b);
            continue;
        }
        const int s = kSaturation8[(c.max - c.min) * 256 + c.max];
        const auto n = pixel8::Replacement(c.max, brightnessFactor[s], saturationMap[s], hd);
        out[0] = pixel8::Blend(r, n.r, w);
        out[1] = pixel8::Blend(g, n.g, w);
        out[2] = pixel8::Blend(b, n.b, w);
    }
}

void TransformRow16Fast(const uint16_t* in, uint16_t* out, int planes, int count) {
    const int32_t hd = destinationHueIndex;
    for (int i = 0; i < count; ++i, in += planes, out += planes) {
        const int32_t r = in[0], g = in[1], b = in[2];
        const auto c = pixel16::Classify(r, g, b);
        const int32_t w = hueWeight[c.hue];
        if (w == 0) {
            out[0] = uint16_t(r), out[1] = uint16_t(g), out[2] = uint16_t(b);
            continue;
        }
        const int32_t s = pixel16::SaturationIndex(c.max, c.min);
        const auto n = pixel16::Replacement(c.max, brightnessFactor[s], saturationMap[s], hd);
        out[0] = pixel16::Blend(r, n.r, w);
        out[1] = pixel16::Blend(g, n.g, w);
        out[2] = pixel16::Blend(b, n.b, w);
    }
}

}  // namespace tavirel
