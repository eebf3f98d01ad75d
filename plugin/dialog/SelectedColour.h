// Which colour of the settings the H, S and B pairs edit: the one whose
// swatch is selected.
#pragma once

#include <cstdint>

namespace tavirel {

// The id of the selected swatch, 300 (Source) or 301 (Destination). 300 when
// the module is loaded; it is not reset when a dialog opens, so a second run
// in the same host session opens with the swatch selected last.
extern int32_t activeSwatch;

// The colour selector for GetParameterComponent and SetParameterComponent:
// 1 (Destination) when swatch 301 is selected, else 0 (Source).
int SelectedColour();

}  // namespace tavirel
