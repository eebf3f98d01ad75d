// The six read-outs under the swatches: hue, saturation and brightness of the
// image colour under the pointer, unfiltered (401-403) and filtered (501-503).
#pragma once

#include "../preview/SampleColour.h"
#include "DialogSurface.h"

namespace tavirel {

// Replaces the first three entries of the record's input and output arrays
// (red, green, blue on 0..32768) by hue 0..3600 in tenths of a degree and
// saturation and brightness 0..1000 in tenths of a percent.
void ConvertSampleToSettings(SampleRecord* sample);

// With a converted record: each value in tenths shown with one decimal,
// rewritten only where the text differs. With null: all six emptied.
void ShowSampleReadouts(DialogSurface& dialog, const SampleRecord* sample);

}  // namespace tavirel
