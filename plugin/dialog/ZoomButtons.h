// The two zoom buttons: plain push buttons made 14 x 14 pixels, with a minus
// (both) and a plus (zoom in) drawn over their face after every message.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tavirel {

LRESULT CALLBACK ZoomButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the window's normal-position rectangle width x height pixels, its top
// left corner kept. -50 for a negative size, -109 for a missing window.
int ResizeWindowTo(HWND window, int32_t width, int32_t height);

}  // namespace tavirel
