#include "PreviewPipelineWin.h"

#include "../util/Rectangles.h"
#include "PointerGestures.h"
#include "PreviewGeometry.h"
#include "PreviewPipeline.h"

namespace tavirel {

namespace {
constexpr int kPreviewControlId = 5;
}  // namespace

void PreviewPan(FilterRecord* record, int32_t x, int32_t y) {
    // Panning never changes the visible rectangle, so its tiles, kept from the
    // press, are the ones redrawn for the whole drag.
    Rect kept;
    if (IsEmpty(VisibleRect()) || VisibleHostRect(&kept) != 0) return;
    HWND window = GetCapture();
    if (window == nullptr) return;
    const PanGrip grip{x, y, previewState.imageRect.left, previewState.imageRect.top};
    for (;;) {
        MSG up;
        if (PeekMessageA(&up, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) break;
        // A capture taken away (another window, a system dialog) would leave
        // the release to someone else and this loop without an end.
        if (GetCapture() != window) break;
        POINT cursor;
        if (!GetCursorPos(&cursor) || !ScreenToClient(window, &cursor)) continue;
        const PreviewRect& image = previewState.imageRect;
        if (PanImage(grip.ShiftX(image, cursor.x), grip.ShiftY(image, cursor.y))) PreviewDrawTiles(record, kept);
    }
}

void RedrawPreview(FilterRecord* record, HWND dialog) {
    HWND preview = GetDlgItem(dialog, kPreviewControlId);
    if (preview == nullptr) return;
    HDC dc = GetDCEx(preview, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc == nullptr) return;
    void* hostData = record->platformData;
    record->platformData = dc;
    PreviewDraw(record);
    record->platformData = hostData;
    ReleaseDC(preview, dc);
}

}  // namespace tavirel
