// What the parameter dialog does with its commands and with a click on the
// zoom text.
#pragma once

#include <cstdint>

#include "DialogSurface.h"

namespace tavirel {

// WM_COMMAND from control `id` with notification `code` (lParam passed on to
// the colour commands). What the dialog procedure returns: 1 after an OK that
// found a bad value (the dialog stays open), else 0.
int OnDialogCommand(DialogSurface& dialog, int id, int code, intptr_t lParam);

// A left-button release at (x, y), dialog client coordinates: on the zoom
// text it toggles between actual size and the fit.
void OnZoomTextClick(DialogSurface& dialog, int32_t x, int32_t y);

}  // namespace tavirel
