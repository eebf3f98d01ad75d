// Swatch clicks and the preview's hover and pick notifications, as the
// parameter dialog receives them.
#pragma once

#include "../preview/SampleColour.h"
#include "DialogSurface.h"

namespace tavirel {

// A command from control `id` with notification `code`; `sample` is the
// preview's record (or null) for id 5 and is converted in place. 1 when the
// swatch selection or the selected colour's values changed (the caller then
// rewrites the value pairs and refreshes the preview), else 0.
int OnColourCommand(DialogSurface& dialog, int id, int code, SampleRecord* sample);

}  // namespace tavirel
