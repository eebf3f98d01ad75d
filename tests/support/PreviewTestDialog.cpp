#include "PreviewTestDialog.h"

#include <cstring>

namespace filterhost {
namespace {

// The sample record's layout as the dialog reads it: 8 reserved bytes, then
// 24 input and 24 output entries.
constexpr size_t kInputOffset = 8, kOutputOffset = 104;

// Appends a 16-bit unit, or a string as UTF-16 with its terminating zero.
void Put(std::vector<WORD>& t, WORD w) { t.push_back(w); }
void Put(std::vector<WORD>& t, const char* text) {
    for (; *text != 0; ++text) t.push_back(WORD(uint8_t(*text)));
    t.push_back(0);
}
template <typename T>
void PutStruct(std::vector<WORD>& t, const T& value) {
    const size_t at = t.size();
    t.resize(at + (sizeof value + 1) / 2);
    std::memcpy(&t[at], &value, sizeof value);
}

// The template: the parameter dialog's style, font and size, and control 5.
std::vector<WORD> DialogTemplate(bool withPlaceholder) {
    std::vector<WORD> t;
    DLGTEMPLATE dialog{};
    dialog.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    dialog.cdit = withPlaceholder ? 1 : 0;
    dialog.cx = 300;
    dialog.cy = 319;
    PutStruct(t, dialog);
    Put(t, WORD(0));  // no menu
    Put(t, WORD(0));  // the standard dialog class
    Put(t, "Tavirel preview test");
    Put(t, WORD(8));
    Put(t, "MS Sans Serif");
    if (withPlaceholder) {
        if (t.size() % 2 != 0) Put(t, WORD(0));  // items start on a 4-byte boundary
        DLGITEMTEMPLATE item{};
        item.style = WS_CHILD | SS_CENTER;  // not visible
        item.x = 25;
        item.y = 9;
        item.cx = 220;
        item.cy = 150;
        item.id = 5;
        PutStruct(t, item);
        Put(t, WORD(0xFFFF));
        Put(t, WORD(0x0082));  // STATIC
        Put(t, "");
        Put(t, WORD(0));  // no creation data
    }
    return t;
}

}  // namespace

PreviewTestDialog::PreviewTestDialog(int x, int y, bool withPlaceholder) {
    const std::vector<WORD> t = DialogTemplate(withPlaceholder);
    window_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                         nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) return;
    SetWindowPos(window_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window_);
    PumpMessages();
}

PreviewTestDialog::~PreviewTestDialog() {
    if (window_ != nullptr) DestroyWindow(window_);
    PumpMessages(10);
}

INT_PTR CALLBACK PreviewTestDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<PreviewTestDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || self == nullptr || LOWORD(wParam) != 5) return FALSE;
    PreviewNotice notice;
    notice.id = LOWORD(wParam);
    notice.code = HIWORD(wParam);
    notice.hasRecord = lParam != 0;
    if (notice.hasRecord) {
        const auto* record = reinterpret_cast<const uint8_t*>(lParam);
        std::memcpy(notice.input, record + kInputOffset, sizeof notice.input);
        std::memcpy(notice.output, record + kOutputOffset, sizeof notice.output);
    }
    self->notices_.push_back(notice);
    return TRUE;
}

void PumpMessages(int quietMs) {
    DWORD quietSince = GetTickCount();
    while (GetTickCount() - quietSince < DWORD(quietMs)) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            quietSince = GetTickCount();
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

}  // namespace filterhost
