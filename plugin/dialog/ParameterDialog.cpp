#include "ParameterDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <initializer_list>

#include "../entry/ModuleState.h"
#include "../preview/PreviewPipeline.h"
#include "../preview/PreviewWindow.h"
#include "CancelButton.h"
#include "CancelLabel.h"
#include "DialogCommands.h"
#include "DialogRefresh.h"
#include "DialogResult.h"
#include "DialogSurfaceWin.h"
#include "ParameterDialogIds.h"
#include "Subclassing.h"
#include "Swatches.h"
#include "ValuePairs.h"
#include "ZoomButtons.h"
#include "ZoomMarks.h"

namespace tavirel {
namespace {

constexpr char kTemplateName[] = "PARAM_DLG";

// The session's record, from initialisation on; every later handler uses it.
FilterRecord* dialogRecord = nullptr;

void InitialiseDialog(HWND dialog, const DialogStartRecord& start) {
    dialogRecord = start.filterRecord;
    // First, so that the preview takes the placeholder's place before
    // anything else is laid out. Without it the dialog runs with no preview.
    CreatePreviewWindow(dialogRecord, dialog);
    SubclassControl(GetDlgItem(dialog, PARAM_DLG_CANCEL), CancelButtonProc);
    WatchModifierKeys(dialog);
    for (int id : {PARAM_DLG_ZOOM_OUT, PARAM_DLG_ZOOM_IN}) {
        HWND button = GetDlgItem(dialog, id);
        SubclassControl(button, ZoomButtonProc);
        RECT made{};
        GetWindowRect(button, &made);
        const int32_t side = ZoomButtonSide(made.bottom - made.top);
        ResizeWindowTo(button, side, side);
    }
    Win32DialogSurface surface(dialog, dialogRecord);
    BindValuePairs(surface, start.pairCount, start.firstTrackbar, start.firstEdit, start.decimals);
    // Every dialog opens with the preview showing the effect.
    SetPreviewShowsEffect(1);
    CheckDlgButton(dialog, PARAM_DLG_SHOW_EFFECT, BST_CHECKED);
    const char* const labels[3] = {"H", "S", "B"};
    for (int k = 0; k < 3; ++k) SetDlgItemTextA(dialog, PARAM_DLG_LABEL_FIRST + k, labels[k]);
    for (int id : {PARAM_DLG_HIDDEN_TRACKBAR, PARAM_DLG_HIDDEN_EDIT})
        if (HWND hidden = GetDlgItem(dialog, id)) ShowWindow(hidden, SW_HIDE);
    SetUpSwatches(dialog);
}

void PaintDialog(HWND dialog) {
    if (!GetUpdateRect(dialog, nullptr, FALSE)) return;
    PAINTSTRUCT paint;
    BeginPaint(dialog, &paint);
    Win32DialogSurface surface(dialog, dialogRecord);
    ShowZoomPercent(surface);
    EndPaint(dialog, &paint);
}

// The system's code for a dialog that did not run. Wine reports none when it
// refuses the owner window (the call then returns 0) or when a control of the
// template cannot be created; those two are named as Windows names them, the
// latter only when the trackbar class, the one the host has to provide, is
// missing. 0 when the cause stays unknown.
DWORD FailureCode(INT_PTR ended, DWORD error) {
    if (error != 0) return error;
    if (ended == 0) return ERROR_INVALID_WINDOW_HANDLE;
    WNDCLASSA trackbar;
    if (!GetClassInfoA(PluginInstance(), TRACKBAR_CLASSA, &trackbar)) return ERROR_CANNOT_FIND_WND_CLASS;
    return 0;
}

// The trackbar and the other bar classes, which the dialog's template uses:
// registered here rather than trusted to the host, many of which never load
// the common controls. Found at run time, so that loading the plug-in alone
// loads nothing more.
void RegisterBarClasses() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (HMODULE library = LoadLibraryA("comctl32.dll"))
        if (auto init = reinterpret_cast<InitControls>(
                reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx"))))
            init(&classes);
}

}  // namespace

int RunParameterDialog(FilterRecord* record) {
    RegisterBarClasses();
    RegisterPreviewClass();  // without the class the dialog runs without a preview
    DialogStartRecord start{record, PARAM_DLG_PAIR_COUNT, PARAM_DLG_TRACKBAR_FIRST, PARAM_DLG_EDIT_FIRST, 1};
    HWND owner = nullptr;
    if (record != nullptr && record->platformData != nullptr)
        owner = reinterpret_cast<HWND>(static_cast<const PlatformData*>(record->platformData)->hwnd);
    SetLastError(0);
    const INT_PTR ended =
        DialogBoxParamA(PluginInstance(), kTemplateName, owner, ParameterDialogProc, reinterpret_cast<LPARAM>(&start));
    DWORD error = GetLastError();
    StopWatchingModifierKeys();
    if (ended == -1 || ended == 0) error = FailureCode(ended, error);
    UnregisterPreviewClass();
    return DialogResultCode(ended, error);
}

INT_PTR CALLBACK ParameterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitialiseDialog(dialog, *reinterpret_cast<const DialogStartRecord*>(lParam));
            // The focus stays where the pairs put it: edit 201, its text selected.
            return FALSE;
        case WM_COMMAND: {
            Win32DialogSurface surface(dialog, dialogRecord);
            return OnDialogCommand(surface, LOWORD(wParam), HIWORD(wParam), intptr_t(lParam));
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            // Only trackbars: the dialog has no scroll bars of its own.
            const int trackbar = lParam != 0 ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0;
            Win32DialogSurface surface(dialog, dialogRecord);
            OnTrackbarScroll(surface, LOWORD(wParam), trackbar);
            return 0;
        }
        case WM_PAINT: PaintDialog(dialog); return 0;
        case WM_LBUTTONUP: {
            // Mouse releases over the zoom text reach the dialog: the text has no SS_NOTIFY.
            Win32DialogSurface surface(dialog, dialogRecord);
            OnZoomTextClick(surface, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        }
        case WM_DESTROY: return 0;
        default: {
            // Every other message is a moment to look at the modifier keys.
            Win32DialogSurface surface(dialog, nullptr);
            UpdateCancelLabel(surface);
            return 0;
        }
    }
}

}  // namespace tavirel
