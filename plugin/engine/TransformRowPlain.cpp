// The plain scalar row transforms: every step for every pixel.
#include "HueTransform.h"
#include "PixelSteps16.h"
#include "PixelSteps8.h"
#include "TransformTables.h"

namespace tavirel {

void TransformRow8Plain(const uint8_t* in, uint8_t* out, int planes, int count) {
    const int hd = destinationHueIndex;
    for (int i = 0; i < count; ++i, in += planes, out += planes) {
        const int r = in[0], g = in[1], b = in[2];
        const auto c = pixel8::Classify(r, g, b);
        const int s = pixel8::SaturationIndex(c.max, c.min);
        const int32_t w = hueWeight[c.hue];
        const auto n = pixel8::Replacement(c.max, brightnessFactor[s], saturationMap[s], hd);
        out[0] = pixel8::Blend(r, n.r, w);
        out[1] = pixel8::Blend(g, n.g, w);
        out[2] = pixel8::Blend(b, n.b, w);
    }
}

void TransformRow16Plain(const uint16_t* in, uint16_t* out, int planes, int count) {
    const int32_t hd = destinationHueIndex;
    for (int i = 0; i < count; ++i, in += planes, out += planes) {
        const int32_t r = in[0], g = in[1], b = in[2];
        const auto c = pixel16::Classify(r, g, b);
        const int32_t s = pixel16::SaturationIndex(c.max, c.min);
        const int32_t w = hueWeight[c.hue];
        const auto n = pixel16::Replacement(c.max, brightnessFactor[s], saturationMap[s], hd);
        out[0] = pixel16::Blend(r, n.r, w);
        out[1] = pixel16::Blend(g, n.g, w);
        out[2] = pixel16::Blend(b, n.b, w);
    }
}

}  // namespace tavirel
