// Colour conversions for the dialog's swatches and colour picks, apart from
// the transform itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavirel {

// Engine HSB: hue index 0..1530 (six equal sectors of 255, cyan at 765),
// saturation 0..1024, brightness 0..1024; records are packed 6 bytes apiece.
struct EngineHsb {
    uint16_t hue, saturation, brightness;
};
static_assert(sizeof(EngineHsb) == 6);

// Fills count pixels of 3 bytes R, G, B, outputStride bytes apart.
void HsbToRgb8(const EngineHsb* records, uint8_t* output, ptrdiff_t outputStride, int count);

struct Rgb16 {
    uint16_t red, green, blue;
};

// The colour of the Source (or, for colour 1, the Destination) setting of
// currentParameters; each channel is 257 times an 8-bit value.
Rgb16 SettingColourToRgb16(int colour);

// Sampled colour (host scale 0..32768) to hue 0..32768 (a full turn),
// saturation 0..32768 and brightness = the largest channel. Strides count
// 16-bit samples; each output record is three samples.
void RgbToHsb(const uint16_t* input, ptrdiff_t inputStride, uint16_t* output, ptrdiff_t outputStride, int count);

// A sampled HSB in settings units: hue 0..3600, saturation and brightness
// 0..1000 (brightness only for channels up to 32768). Each rounds half up.
struct SettingsColour {
    int32_t hue, saturation, brightness;
};
SettingsColour SampledHsbToSettings(uint16_t hue, uint16_t saturation, uint16_t brightness);

}  // namespace tavirel
