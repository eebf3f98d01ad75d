#include "CancelButton.h"

#include "CancelLabel.h"
#include "DialogSurfaceWin.h"
#include "Subclassing.h"

namespace tavirel {
namespace {

HWND watchedDialog = nullptr;
HHOOK keyWatch = nullptr;

// Called as the thread takes a key message from its queue (HC_ACTION), before
// the focused control sees it. Bit 31 of lParam is set for a release.
LRESULT CALLBACK KeyWatchProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && watchedDialog != nullptr && IsWindow(watchedDialog)) {
        Win32DialogSurface dialog(watchedDialog, nullptr);
        const bool released = (uint32_t(lParam) & 0x80000000u) != 0;
        ApplyCancelLabel(dialog, ModifiersAfterKey(dialog.Modifiers(), unsigned(wParam), released));
    }
    return CallNextHookEx(keyWatch, code, wParam, lParam);
}

}  // namespace

void WatchModifierKeys(HWND dialog) {
    watchedDialog = dialog;
    // A hook of this thread alone: no module, the plug-in stays unloaded
    // from every other process.
    if (keyWatch == nullptr) keyWatch = SetWindowsHookExA(WH_KEYBOARD, KeyWatchProc, nullptr, GetCurrentThreadId());
}

void StopWatchingModifierKeys() {
    if (keyWatch != nullptr) UnhookWindowsHookEx(keyWatch);
    keyWatch = nullptr;
    watchedDialog = nullptr;
}

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
