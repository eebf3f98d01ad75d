// Replacing a control's window procedure while keeping the previous one in
// the control's user data, to pass messages on to.
#pragma once

#include <windows.h>

namespace tavirel {

// -109 for a missing control, -114 for a missing procedure, else 0.
int SubclassControl(HWND control, WNDPROC procedure);
// The message through the procedure kept in the control's user data; 0 when
// none is kept.
LRESULT CallPreviousProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
