#include "AboutBox.h"

#include <windows.h>

#include "../entry/ModuleState.h"
#include "AboutPlacement.h"

namespace tavirel {
namespace {

constexpr int kAboutDialogId = 16000;

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            HWND owner = reinterpret_cast<HWND>(lParam);
            RECT r{};
            GetWindowRect(owner, &r);
            POINT origin{0, 0};
            ClientToScreen(owner, &origin);
            const AboutOffset at = AboutBoxPosition(r.right - r.left, r.bottom - r.top, origin.x, origin.y);
            SetWindowPos(box, nullptr, at.x, at.y, kAboutBoxWidth, kAboutBoxHeight, 0);
            return TRUE;
        }
        case WM_COMMAND:
            // A click on the picture (STN_CLICKED) and the dialog manager's
            // IDOK / IDCANCEL for Enter and Esc all carry notification code 0;
            // the picture's double-click notification does not.
            if (HIWORD(wParam) == 0) EndDialog(box, 0);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

int ShowAboutBox(const AboutRecord* record) {
    HWND owner = nullptr;
    if (record != nullptr && record->platformData != nullptr)
        owner = reinterpret_cast<HWND>(static_cast<const PlatformData*>(record->platformData)->hwnd);
    DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(kAboutDialogId), owner, AboutDialogProc,
                    reinterpret_cast<LPARAM>(owner));
    return 0;
}

}  // namespace tavirel
