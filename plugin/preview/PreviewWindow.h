// The preview window: a child of the parameter dialog that takes the place of
// its placeholder control 5, shows the image through the pipeline, reports
// the colour under the pointer and colour picks to the dialog, and pans the
// image when dragged.
#pragma once

#include <windows.h>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

constexpr int kPreviewWindowId = 5;
constexpr char kPreviewClassName[] = "ProxyWindowClass";

// Cursor ids: the system arrow, and the module's hand and target cursors.
constexpr int kCursorArrow = 30;
constexpr int kCursorHand = 31;
constexpr int kCursorTarget = 32;

// Registers "ProxyWindowClass" with the module instance, replacing a class of
// that name left registered. 0 or the system's error code.
int RegisterPreviewClass();
int UnregisterPreviewClass();
// Replaces control 5 of `dialog` by the preview window with the same id and
// outer rectangle, for the session's `record`. -109 when there is no control
// 5; 0 otherwise, also when the window could not be created.
int CreatePreviewWindow(FilterRecord* record, HWND dialog);
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
