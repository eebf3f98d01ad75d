#include "PreviewWindow.h"

#include <windowsx.h>

#include "../entry/ModuleState.h"
#include "../util/Rectangles.h"
#include "../util/ResultCodes.h"
#include "PointerGestures.h"
#include "PreviewBackground.h"
#include "PreviewGeometry.h"
#include "PreviewPipeline.h"
#include "PreviewPipelineWin.h"
#include "SampleColour.h"

namespace tavirel {
namespace {

constexpr COLORREF kBackgroundGrey = RGB(128, 128, 128);

// The record of the open preview, from WM_CREATE to WM_DESTROY; there is
// only ever one preview window.
FilterRecord* previewRecord = nullptr;

void ShowCursorId(int id) {
    HCURSOR cursor = id == kCursorArrow ? LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))  // IDC_ARROW
                                        : LoadCursorA(PluginInstance(), MAKEINTRESOURCEA(id));
    SetCursor(cursor);
}

// Samples at `clientPoint`, or at the cursor when it is null, and tells the
// parent: PVN_PICK for a given point, PVN_HOVER otherwise, and PVN_HOVER with
// no record when the sample failed. true when it succeeded.
bool SampleAndNotify(HWND window, const POINT* clientPoint) {
    POINT at;
    if (clientPoint != nullptr) {
        at = *clientPoint;
    } else if (!GetCursorPos(&at) || !ScreenToClient(window, &at)) {
        at = POINT{-32768, -32768};  // nowhere on the image
    }
    SampleRecord sample{};
    const SystemPoint system{at.x, at.y};
    Point point;
    const bool sampled = HostPointFromSystemPoint(&system, &point) == kOk &&
                         SampleColour(previewRecord, point, sample.input, sample.output) == 1;
    HWND parent = GetParent(window);
    if (parent != nullptr) {
        const WORD code = sampled && clientPoint != nullptr ? PVN_PICK : PVN_HOVER;
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(kPreviewWindowId, code),
                     sampled ? reinterpret_cast<LPARAM>(&sample) : 0);
    }
    return sampled;
}

void PaintBackground(HWND window, HDC dc) {
    RECT outer;
    GetWindowRect(window, &outer);
    Rect visible{0, 0, 0, 0};
    if (!IsEmpty(VisibleRect())) VisibleHostRect(&visible);
    for (const SystemRect& strip : BackgroundStrips(outer.right - outer.left, outer.bottom - outer.top, visible)) {
        const RECT r{strip.left, strip.top, strip.right, strip.bottom};
        HBRUSH grey = CreateSolidBrush(kBackgroundGrey);
        FillRect(dc, &r, grey);
        DeleteObject(grey);
    }
}

// The DC goes to the host through platformData for the draw; the host's own
// value is put back after it.
void DrawThrough(HDC dc) {
    void* hostData = previewRecord->platformData;
    previewRecord->platformData = dc;
    PreviewDraw(previewRecord);
    previewRecord->platformData = hostData;
}

void OnCreate(HWND window, const CREATESTRUCTA* create) {
    previewRecord = static_cast<FilterRecord*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_ID, kPreviewWindowId);
    if (previewRecord == nullptr) return;
    // The outer rectangle in the window's own client coordinates: (-1, -1)
    // at the top left, because the border is part of it.
    RECT outer;
    GetWindowRect(window, &outer);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&outer), 2);
    const SystemRect system{outer.left, outer.top, outer.right, outer.bottom};
    Rect view;
    if (HostRectFromSystemRect(&system, &view) == kOk) PreviewStart(previewRecord, view);
}

void OnPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) {
            PaintBackground(window, dc);
            DrawThrough(dc);
        }
        EndPaint(window, &paint);
    }
    // The read-outs follow the freshly drawn image.
    SampleAndNotify(window, nullptr);
}

void OnMouseMove(HWND window) {
    if (GetForegroundWindow() == GetParent(window) && SampleAndNotify(window, nullptr)) {
        // Holding the capture over the image lets the window see the pointer
        // leave the image or the window.
        if (GetCapture() != window) {
            SetCapture(window);
            ShowCursorId(kCursorTarget);
        }
        return;
    }
    ShowCursorId(kCursorArrow);
    ReleaseCapture();
}

// The press decides between a click and a drag by watching the pointer until
// it moves more than a pixel or the button comes up, without dispatching
// anything. true when it was a drag, which has then been carried out.
bool OnButtonDown(HWND window, LPARAM lParam) {
    const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    POINT press{x, y};
    ClientToScreen(window, &press);
    bool drag = false;
    for (bool last = false; !drag && !last;) {
        MSG up;
        POINT at;
        last = PeekMessageA(&up, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) != 0;
        if (last)
            at = up.pt;
        else if (!GetCursorPos(&at))
            continue;
        drag = IsDragDistance(press.x, press.y, at.x, at.y);
    }
    if (!drag) return false;

    SetCapture(window);
    if (HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE)) {
        ShowCursorId(kCursorHand);
        void* hostData = previewRecord->platformData;
        previewRecord->platformData = dc;
        PreviewPan(previewRecord, x, y);
        previewRecord->platformData = hostData;
        ReleaseDC(window, dc);
    }
    ReleaseCapture();
    return true;
}

void OnButtonUp(HWND window, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (SampleAndNotify(window, &at)) {
        ShowCursorId(kCursorTarget);
        return;
    }
    ShowCursorId(kCursorArrow);
    Beep(880, 100);
}

}  // namespace

int RegisterPreviewClass() {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = PreviewWindowProc;
    wc.hInstance = PluginInstance();
    wc.hbrBackground = CreateSolidBrush(kBackgroundGrey);
    wc.lpszClassName = kPreviewClassName;
    if (RegisterClassA(&wc) != 0) return kOk;
    DWORD error = GetLastError();
    if (error == ERROR_CLASS_ALREADY_EXISTS) {
        UnregisterClassA(kPreviewClassName, PluginInstance());
        if (RegisterClassA(&wc) != 0) return kOk;
        error = GetLastError();
    }
    // The brush is the class's only when the class exists.
    DeleteObject(wc.hbrBackground);
    return int(error);
}

int UnregisterPreviewClass() {
    UnregisterClassA(kPreviewClassName, PluginInstance());
    return kOk;
}

int CreatePreviewWindow(FilterRecord* record, HWND dialog) {
    HWND placeholder = GetDlgItem(dialog, kPreviewWindowId);
    if (placeholder == nullptr) return kNilHandle;
    RECT r;
    GetWindowRect(placeholder, &r);
    DestroyWindow(placeholder);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    HWND preview = CreateWindowExA(0, kPreviewClassName, "", WS_CHILD | WS_VISIBLE | WS_BORDER, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, dialog, nullptr, PluginInstance(), record);
    if (preview != nullptr) ShowWindow(preview, SW_SHOWNA);
    return kOk;
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (previewRecord == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            PreviewStop(previewRecord);
            previewRecord = nullptr;
            break;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_MOUSEMOVE: OnMouseMove(window); break;
        case WM_LBUTTONDOWN:
            if (OnButtonDown(window, lParam)) return 0;
            break;
        case WM_LBUTTONUP: OnButtonUp(window, lParam); break;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace tavirel
