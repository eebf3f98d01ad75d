#include "ColourConversions.h"

#include "../filter/FilterParameters.h"

namespace tavirel {
namespace {

// (span k + 16384) / 32768 rounded towards minus infinity, also for negative k.
int32_t Share(int32_t span, int32_t k) { return (span * k + 16384) >> 15; }

// 32768 n / d rounded half up; needs 32 unsigned bits.
uint32_t Q32768(uint32_t n, uint32_t d) { return (32768u * n + d / 2) / d; }

}  // namespace

void HsbToRgb8(const EngineHsb* records, uint8_t* output, ptrdiff_t outputStride, int count) {
    for (int i = 0; i < count; ++i, output += outputStride) {
        const int32_t h = records[i].hue, s = records[i].saturation, v = records[i].brightness;
        int32_t r, g, b;
        if (v == 0) {
            r = g = b = 0;
        } else {
            // 255 V / 1024 rounded half up.
            const int32_t top = (255 * v + 512) >> 10;
            if (s == 0) {
                r = g = b = top;
            } else {
                // 255 (1024 - S) V / 2^20 rounded half up.
                const int32_t bottom = (255 * (1024 - s) * v + 524288) >> 20;
                const int32_t span = top - bottom;
                // Hue index 0..1530 onto six sectors of 32768, rounded half up.
                const int32_t e = (65793 * h + 256) >> 9;
                if (e < 32768)
                    r = top, g = top + Share(span, e - 32768), b = bottom;
                else if (e < 65536)
                    r = bottom - Share(span, e - 65536), g = top, b = bottom;
                else if (e < 98304)
                    r = bottom, g = top, b = top + Share(span, e - 98304);
                else if (e < 131072)
                    r = bottom, g = bottom - Share(span, e - 131072), b = top;
                else if (e < 163840)
                    r = top + Share(span, e - 163840), g = bottom, b = top;
                else
                    r = top, g = bottom, b = top - Share(span, e - 163840);
            }
        }
        output[0] = uint8_t(r);
        output[1] = uint8_t(g);
        output[2] = uint8_t(b);
    }
}

Rgb16 SettingColourToRgb16(int colour) {
    const int32_t h = GetParameterComponent(colour, kHueIndex);
    const int32_t s = GetParameterComponent(colour, kSaturationIndex);
    const int32_t v = GetParameterComponent(colour, kBrightnessIndex);
    // 1530 here, not 1531 as in the table build: HsbToRgb8 maps 1530 to the full circle.
    const EngineHsb hsb{uint16_t((h * 1530 + 1800) / 3600), uint16_t((s * 1024 + 500) / 1000),
                        uint16_t((v * 1024 + 500) / 1000)};
    uint8_t rgb[3];
    HsbToRgb8(&hsb, rgb, 3, 1);
    return {uint16_t(rgb[0] * 257), uint16_t(rgb[1] * 257), uint16_t(rgb[2] * 257)};
}

void RgbToHsb(const uint16_t* input, ptrdiff_t inputStride, uint16_t* output, ptrdiff_t outputStride, int count) {
    for (int i = 0; i < count; ++i, input += inputStride, output += outputStride) {
        const uint32_t r = input[0], g = input[1], b = input[2];
        if (r == g && g == b) {
            output[0] = 0, output[1] = 0, output[2] = uint16_t(r);
            continue;
        }
        uint32_t max, min, h6;
        if (r >= g) {
            if (g >= b)
                max = r, min = b, h6 = Q32768(g - b, r - b);
            else if (r >= b)
                max = r, min = g, h6 = 196608 - Q32768(b - g, r - g);
            else
                max = b, min = g, h6 = 131072 + Q32768(r - g, b - g);
        } else if (g <= b) {
            max = b, min = r, h6 = 131072 - Q32768(g - r, b - r);
        } else if (r <= b) {
            max = g, min = r, h6 = 65536 + Q32768(b - r, g - r);
        } else {
            max = g, min = b, h6 = 65536 - Q32768(r - b, g - b);
        }
        output[0] = uint16_t((h6 + 3) / 6);
        output[1] = uint16_t((32768u * (max - min) + max / 2) / max);
        output[2] = uint16_t(max);
    }
}

SettingsColour SampledHsbToSettings(uint16_t hue, uint16_t saturation, uint16_t brightness) {
    return {int32_t((uint32_t(hue) * 3600 + 16384) / 32768), int32_t((uint32_t(saturation) * 1000 + 16384) / 32768),
            int32_t((uint32_t(brightness) * 1000 + 16384) / 32768)};
}

}  // namespace tavirel
