// The Source and Destination swatches (controls 300 and 301) as windows: their
// painting, and the dialog's commands that reach them.
#pragma once

#include <windows.h>

namespace tavirel {

// Both swatches repaint at the next paint, without erasing.
void InvalidateSwatches(HWND dialog);
// Both swatches repaint before this returns.
void RepaintSwatchesNow(HWND dialog);

// When the dialog opens: SwatchProc goes onto both swatches, which then
// repaint.
void SetUpSwatches(HWND dialog);
// Paints on WM_PAINT (and returns 0); every other message goes to the
// static's own procedure, so clicks still notify the dialog.
LRESULT CALLBACK SwatchProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSwatch(HWND swatch);

// Swatch clicks and the preview's hover and pick notifications (any command
// id that is no button, value edit or zoom control): 1 when the selection or
// the selected colour changed.
int OnColourCommand(HWND dialog, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
