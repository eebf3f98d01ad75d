#include "ColourCommands.h"

#include "../filter/FilterParameters.h"
#include "ParameterDialogIds.h"
#include "SampleReadouts.h"
#include "SelectedColour.h"

namespace tavirel {
namespace {

// The unfiltered colour, already in settings units, into one colour of the
// settings.
void TakeColour(int colour, const int32_t* hsb) {
    SetParameterComponent(colour, kHueIndex, hsb[0]);
    SetParameterComponent(colour, kSaturationIndex, hsb[1]);
    SetParameterComponent(colour, kBrightnessIndex, hsb[2]);
}

}  // namespace

int OnColourCommand(DialogSurface& dialog, int id, int code, SampleRecord* sample) {
    if (id == PARAM_DLG_SWATCH_SOURCE || id == PARAM_DLG_SWATCH_DESTINATION) {
        // Any notification of a swatch, and a click on the one already
        // selected too: the pairs are rewritten either way.
        activeSwatch = id;
        dialog.InvalidateSwatches();
        return 1;
    }
    if (id != PARAM_DLG_PREVIEW) return 0;
    if (sample == nullptr) {
        // Off the image, or the sample failed: nothing is picked.
        ShowSampleReadouts(dialog, nullptr);
        return 0;
    }
    ConvertSampleToSettings(sample);
    if (code != PVN_PICK) {
        ShowSampleReadouts(dialog, sample);
        return 0;
    }
    // Always the unfiltered colour, so a second pick of the same spot gives
    // the same values whatever the settings now are. Alt is read as the pick
    // arrives.
    if (dialog.Modifiers().alt) {
        TakeColour(kSourceColour, sample->input);
        TakeColour(kDestinationColour, sample->input);
        activeSwatch = PARAM_DLG_SWATCH_DESTINATION;
    } else {
        TakeColour(SelectedColour(), sample->input);
    }
    dialog.InvalidateSwatches();
    return 1;
}

}  // namespace tavirel
