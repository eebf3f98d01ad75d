#include "DialogSurfaceWin.h"

#include <commctrl.h>

#include "../filter/ParameterHandle.h"
#include "../persistence/ParameterFiles.h"
#include "../preview/PreviewGeometry.h"
#include "../preview/PreviewPipeline.h"
#include "../preview/PreviewPipelineWin.h"
#include "../util/CountedString.h"
#include "../util/ResultCodes.h"
#include "ParameterDialogIds.h"
#include "Swatches.h"

namespace tavirel {
namespace {

bool Held(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// Read-outs are statics: only edits scroll to their caret.
bool IsEdit(HWND control) {
    char name[8] = "";
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, "Edit") == 0;
}

}  // namespace

bool Win32DialogSurface::HasControl(int id) { return Item(id) != nullptr; }

bool Win32DialogSurface::ReadBinding(int trackbar, ValueBinding* binding) {
    HWND t = Item(trackbar);
    if (t == nullptr) return false;
    // Only the low 32 bits were ever stored, on either build.
    *binding = ValueBinding(uint32_t(GetWindowLongPtrA(t, GWLP_USERDATA)));
    return true;
}

void Win32DialogSurface::StoreBinding(int trackbar, ValueBinding binding) {
    if (HWND t = Item(trackbar)) SetWindowLongPtrA(t, GWLP_USERDATA, LONG_PTR(binding));
}

void Win32DialogSurface::SetTrackbarRange(int trackbar, int32_t minimum, int32_t maximum) {
    if (HWND t = Item(trackbar)) SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
}

int32_t Win32DialogSurface::TrackbarMinimum(int trackbar) {
    HWND t = Item(trackbar);
    return t ? int32_t(SendMessageA(t, TBM_GETRANGEMIN, 0, 0)) : 0;
}

int32_t Win32DialogSurface::TrackbarMaximum(int trackbar) {
    HWND t = Item(trackbar);
    return t ? int32_t(SendMessageA(t, TBM_GETRANGEMAX, 0, 0)) : 0;
}

int32_t Win32DialogSurface::TrackbarPosition(int trackbar) {
    HWND t = Item(trackbar);
    return t ? int32_t(SendMessageA(t, TBM_GETPOS, 0, 0)) : 0;
}

void Win32DialogSurface::SetTrackbarPosition(int trackbar, int16_t position) {
    if (HWND t = Item(trackbar)) SendMessageA(t, TBM_SETPOS, TRUE, LPARAM(position));
}

void Win32DialogSurface::ReadText(int id, int maxChars, unsigned char* counted) {
    char text[256] = "";
    if (maxChars > 255) maxChars = 255;
    // The count includes the terminating zero.
    if (HWND control = Item(id)) GetWindowTextA(control, text, maxChars + 1);
    CountedFromText(text, counted);
}

bool Win32DialogSurface::ReadInteger(int id, int32_t* value) {
    BOOL converted = FALSE;
    *value = int32_t(GetDlgItemInt(dialog_, id, &converted, TRUE));
    return converted != FALSE;
}

void Win32DialogSurface::ReplaceText(int id, const unsigned char* counted) {
    HWND control = Item(id);
    if (control == nullptr) return;
    char text[256];
    TextFromCounted(counted, text, sizeof text);
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    // An edit that had scrolled to its caret shows a new value from its
    // first character, not from where the old one's caret left it.
    if (IsEdit(control) && GetFocus() != control) ShowTextStart(id);
    RedrawWindow(control, nullptr, nullptr, RDW_UPDATENOW);
}

void Win32DialogSurface::SetText(int id, const unsigned char* counted) {
    HWND control = Item(id);
    if (control == nullptr) return;
    char text[256];
    TextFromCounted(counted, text, sizeof text);
    SetWindowTextA(control, text);
}

void Win32DialogSurface::SelectAllAndFocus(int id) {
    HWND control = Item(id);
    if (control == nullptr) return;
    SendMessageA(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

void Win32DialogSurface::ShowTextStart(int id) {
    HWND control = Item(id);
    if (control == nullptr || !IsEdit(control)) return;
    SendMessageA(control, EM_SETSEL, 0, 0);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
}

bool Win32DialogSurface::HasFocus(int id) {
    HWND control = Item(id);
    return control != nullptr && GetFocus() == control;
}

bool Win32DialogSurface::IsChecked(int id) {
    HWND control = Item(id);
    return control != nullptr && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Win32DialogSurface::PointInControl(int id, int32_t x, int32_t y) {
    HWND control = Item(id);
    if (control == nullptr) return false;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return PtInRect(&r, POINT{x, y}) != FALSE;
}

ModifierKeys Win32DialogSurface::Modifiers() { return ModifierKeys{Held(VK_MENU), Held(VK_SHIFT)}; }

void Win32DialogSurface::EndDialog(int code) { ::EndDialog(dialog_, code); }

void Win32DialogSurface::WarningBeep() { MessageBeep(MB_ICONEXCLAMATION); }

void Win32DialogSurface::InvalidateSwatches() { tavirel::InvalidateSwatches(dialog_); }

void Win32DialogSurface::RepaintSwatchesNow() { tavirel::RepaintSwatchesNow(dialog_); }

void Win32DialogSurface::InvalidatePreview() {
    if (HWND preview = Item(PARAM_DLG_PREVIEW)) InvalidateRect(preview, nullptr, FALSE);
}

void Win32DialogSurface::RedrawPreview() {
    if (record_ != nullptr) tavirel::RedrawPreview(record_, dialog_);
}

int Win32DialogSurface::SetPreviewZoom(int32_t request) {
    return record_ != nullptr ? tavirel::SetPreviewZoom(record_, request) : 0;
}

uint32_t Win32DialogSurface::PreviewZoomPercent() { return tavirel::PreviewZoomPercent(); }

void Win32DialogSurface::SetPreviewShowsEffect(int32_t flag) { tavirel::SetPreviewShowsEffect(flag); }

int Win32DialogSurface::LoadParameterFile() { return tavirel::LoadParameterFile(dialog_); }

int Win32DialogSurface::SaveParameterFile() { return tavirel::SaveParameterFile(dialog_); }

int Win32DialogSurface::LoadParametersFromHandle() {
    return record_ != nullptr ? tavirel::LoadParametersFromHandle(record_) : kNilHandle;
}

int Win32DialogSurface::OnColourCommand(int id, int code, intptr_t lParam) {
    return tavirel::OnColourCommand(dialog_, MAKEWPARAM(id, code), LPARAM(lParam));
}

}  // namespace tavirel
