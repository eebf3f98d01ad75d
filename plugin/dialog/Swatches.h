// The Source and Destination swatches (controls 300 and 301) as the rest of
// the dialog reaches them.
#pragma once

#include <windows.h>

namespace tavirel {

// Both swatches repaint at the next paint, without erasing.
void InvalidateSwatches(HWND dialog);
// Both swatches repaint before this returns.
void RepaintSwatchesNow(HWND dialog);

// Installs the swatches' painting and clicks when the dialog opens. The
// swatches are plain empty statics until their painting is built: this
// does nothing yet.
void SetUpSwatches(HWND dialog);
// Swatch clicks and the preview's hover and pick notifications (any command
// id that is no button, value edit or zoom control): 1 when the selection or
// the selected colour changed. Until the swatches and read-outs are built it
// changes nothing and returns 0.
int OnColourCommand(HWND dialog, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
