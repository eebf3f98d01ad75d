#include "ZoomButtons.h"

#include "../util/Rectangles.h"
#include "../util/ResultCodes.h"
#include "ParameterDialogIds.h"
#include "Subclassing.h"
#include "ZoomMarks.h"

namespace tavirel {
namespace {

void FillBlack(HDC dc, const SystemRect& r) {
    const RECT area{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void DrawZoomMark(HWND button) {
    HDC dc = GetDCEx(button, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc == nullptr) return;
    // The button's outer rectangle in its own client coordinates: 0, 0, width, height.
    RECT outer;
    GetWindowRect(button, &outer);
    MapWindowPoints(nullptr, button, reinterpret_cast<POINT*>(&outer), 2);
    const SystemRect face{outer.left, outer.top, outer.right, outer.bottom};
    FillBlack(dc, MinusMark(face));
    if (GetDlgCtrlID(button) == PARAM_DLG_ZOOM_IN) FillBlack(dc, PlusMark(face));
    ReleaseDC(button, dc);
}

}  // namespace

LRESULT CALLBACK ZoomButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallPreviousProc(button, message, wParam, lParam);
    // Drawn after whatever the button did, so the mark survives every
    // repaint of its face, pressed or not.
    if (message != WM_CREATE) DrawZoomMark(button);
    return result;
}

int ResizeWindowTo(HWND window, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return kParamErr;
    if (window == nullptr) return kNilHandle;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return kNilHandle;
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + width;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + height;
    SetWindowPlacement(window, &placement);
    return kOk;
}

}  // namespace tavirel
