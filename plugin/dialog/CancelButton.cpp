#include "CancelButton.h"

#include "CancelLabel.h"
#include "DialogSurfaceWin.h"
#include "Subclassing.h"

namespace tavirel {

LRESULT CALLBACK CancelButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    // Before the button handles the message, so that for a click the keys
    // held at the release decide what the click reports. Not for the
    // messages that reading, writing and painting the label send themselves.
    if (message != WM_SETTEXT && message != WM_GETTEXT && message != WM_PAINT) {
        Win32DialogSurface dialog(GetParent(button), nullptr);
        UpdateCancelLabel(dialog);
    }
    return CallPreviousProc(button, message, wParam, lParam);
}

}  // namespace tavirel
