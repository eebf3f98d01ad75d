#include "SampleReadouts.h"

#include "../engine/ColourConversions.h"
#include "ParameterDialogIds.h"
#include "ValuePairs.h"

namespace tavirel {
namespace {

constexpr int32_t kFullChannel = 32768;

// The preview only ever delivers 0..32768 per channel. Anything else (the
// sampler's -1 for "not sampled", or a damaged record) is held to that scale
// rather than cut to its low 16 bits, which would read -1 as a brightness
// of 200 % and let a pick store it into the settings.
uint16_t Channel(int32_t value) { return uint16_t(value < 0 ? 0 : (value > kFullChannel ? kFullChannel : value)); }

void ConvertColour(int32_t* rgb) {
    const uint16_t channels[3] = {Channel(rgb[0]), Channel(rgb[1]), Channel(rgb[2])};
    uint16_t hsb[3];
    RgbToHsb(channels, 3, hsb, 3, 1);
    // Each of (x * scale + 16384) >> 15, half up.
    const SettingsColour settings = SampledHsbToSettings(hsb[0], hsb[1], hsb[2]);
    rgb[0] = settings.hue;
    rgb[1] = settings.saturation;
    rgb[2] = settings.brightness;
}

// Tenths as the read-out shows them: scaled in double precision, then held
// in single precision as every decimal of the dialog is.
float FromTenths(int32_t tenths) { return float(double(tenths) * 0.1); }

}  // namespace

void ConvertSampleToSettings(SampleRecord* sample) {
    ConvertColour(sample->input);
    ConvertColour(sample->output);
}

void ShowSampleReadouts(DialogSurface& dialog, const SampleRecord* sample) {
    if (sample == nullptr) {
        // Emptied and repainted every time, even when already empty.
        const unsigned char empty[1] = {0};
        for (int k = 0; k < 3; ++k) {
            dialog.ReplaceText(PARAM_DLG_READOUT_INPUT_FIRST + k, empty);
            dialog.ReplaceText(PARAM_DLG_READOUT_OUTPUT_FIRST + k, empty);
        }
        return;
    }
    for (int k = 0; k < 3; ++k)
        SetEditDecimalIfChanged(dialog, PARAM_DLG_READOUT_INPUT_FIRST + k, FromTenths(sample->input[k]), 1);
    for (int k = 0; k < 3; ++k)
        SetEditDecimalIfChanged(dialog, PARAM_DLG_READOUT_OUTPUT_FIRST + k, FromTenths(sample->output[k]), 1);
}

}  // namespace tavirel
