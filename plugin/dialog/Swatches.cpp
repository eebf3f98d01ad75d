#include "Swatches.h"

#include "ParameterDialogIds.h"

namespace tavirel {
namespace {
constexpr int kSwatches[2] = {PARAM_DLG_SWATCH_SOURCE, PARAM_DLG_SWATCH_DESTINATION};
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

void SetUpSwatches(HWND) {}

int OnColourCommand(HWND, WPARAM, LPARAM) { return 0; }

}  // namespace tavirel
