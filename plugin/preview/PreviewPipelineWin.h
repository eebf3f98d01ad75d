// The Windows half of the preview's image path: the pan loop, which polls the
// pointer while the button is held, and the dialog's immediate redraw.
#pragma once

#include <windows.h>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// With the mouse captured by the preview window and a DC in platformData:
// follows the pointer until the left button comes up (that WM_LBUTTONUP is
// removed, so no pick follows) or the window loses the capture, moving the
// image and redrawing the tiles visible at the press after every move that
// shifts it. (x, y) is the press point in client coordinates. The tables are
// not rebuilt.
void PreviewPan(FilterRecord* record, int32_t x, int32_t y);
// Draws the preview of `dialog` (its control 5) at once through a cache DC,
// without background or hover notification; nothing without control 5.
void RedrawPreview(FilterRecord* record, HWND dialog);

}  // namespace tavirel
