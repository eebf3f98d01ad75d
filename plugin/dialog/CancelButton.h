// The Cancel button, which relabels itself "Reset" or "Default" while Alt,
// or Alt and Shift, are held.
#pragma once

#include <windows.h>

namespace tavirel {

LRESULT CALLBACK CancelButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
