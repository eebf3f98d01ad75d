// The Cancel button, which relabels itself "Reset" or "Default" while Alt,
// or Alt and Shift, are held.
#pragma once

#include <windows.h>

namespace tavirel {

LRESULT CALLBACK CancelButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

// Key presses and releases go to the control with the focus, which is not the
// dialog nor the button: while watched, every key event of this thread
// relabels the dialog's Cancel button, so that the label follows Alt and
// Shift without waiting for a pointer move. One dialog at a time.
void WatchModifierKeys(HWND dialog);
void StopWatchingModifierKeys();

}  // namespace tavirel
