#include "Swatches.h"

#include "../filter/FilterParameters.h"
#include "ColourCommands.h"
#include "DialogSurfaceWin.h"
#include "ParameterDialogIds.h"
#include "SelectedColour.h"
#include "Subclassing.h"
#include "SwatchPainting.h"

namespace tavirel {
namespace {

constexpr int kSwatches[2] = {PARAM_DLG_SWATCH_SOURCE, PARAM_DLG_SWATCH_DESTINATION};

// One brush for one drawing call.
void Frame(HDC dc, const SwatchRect& r, COLORREF colour) {
    const RECT rect{r.left, r.top, r.right, r.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Fill(HDC dc, const SwatchRect& r, COLORREF colour) {
    const RECT rect{r.left, r.top, r.right, r.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

}  // namespace

void InvalidateSwatches(HWND dialog) {
    for (int id : kSwatches)
        if (HWND swatch = GetDlgItem(dialog, id)) InvalidateRect(swatch, nullptr, FALSE);
}

void RepaintSwatchesNow(HWND dialog) {
    for (int id : kSwatches) {
        if (HWND swatch = GetDlgItem(dialog, id)) {
            InvalidateRect(swatch, nullptr, FALSE);
            RedrawWindow(swatch, nullptr, nullptr, RDW_UPDATENOW);
        }
    }
}

void SetUpSwatches(HWND dialog) {
    // A missing swatch stays unsubclassed; the other still paints.
    for (int id : kSwatches) SubclassControl(GetDlgItem(dialog, id), SwatchProc);
    InvalidateSwatches(dialog);
}

LRESULT CALLBACK SwatchProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintSwatch(swatch); return 0;
        case WM_GETDLGCODE: {
            // Enter would otherwise press OK before the swatch saw it.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            const LRESULT code = CallPreviousProc(swatch, message, wParam, lParam);
            if (key != nullptr && key->message == WM_KEYDOWN && SwatchKeySelects(unsigned(key->wParam)))
                return code | DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            // As a click: the dialog selects the swatch and shows its colour.
            if (SwatchKeySelects(unsigned(wParam))) {
                SendMessageA(GetParent(swatch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(swatch), STN_CLICKED),
                             reinterpret_cast<LPARAM>(swatch));
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: InvalidateRect(swatch, nullptr, FALSE); break;
        default: break;
    }
    return CallPreviousProc(swatch, message, wParam, lParam);
}

void PaintSwatch(HWND swatch) {
    if (!GetUpdateRect(swatch, nullptr, FALSE)) return;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(swatch, &paint);
    if (dc != nullptr) {
        const int id = GetDlgCtrlID(swatch);
        const int colour = id == PARAM_DLG_SWATCH_DESTINATION ? kDestinationColour : kSourceColour;
        RECT outer;
        GetWindowRect(swatch, &outer);
        const SwatchLayout layout = LayOutSwatch(outer.right - outer.left, outer.bottom - outer.top);
        // An unselected swatch draws its rings in the dialog's face colour,
        // which hides them.
        const COLORREF ring = activeSwatch == id ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNFACE);
        for (const SwatchRect& r : layout.rings) Frame(dc, r, ring);
        Frame(dc, layout.frame, RGB(0, 0, 0));
        const SwatchColour c = SwatchFillColour(colour);
        Fill(dc, layout.fill, RGB(c.red, c.green, c.blue));
        if (GetFocus() == swatch) {
            Frame(dc, layout.focus[0], RGB(255, 255, 255));
            Frame(dc, layout.focus[1], RGB(0, 0, 0));
        }
    }
    EndPaint(swatch, &paint);
}

int OnColourCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    Win32DialogSurface surface(dialog, nullptr);
    // The preview's record lives for the duration of its SendMessage.
    return OnColourCommand(surface, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<SampleRecord*>(lParam));
}

}  // namespace tavirel
