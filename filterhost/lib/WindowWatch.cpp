#include "WindowWatch.h"

#include <commctrl.h>

#include <algorithm>

#include "WrapperChannel.h"

namespace filterhost {
namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static text of a system message box

struct Found {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwnDialogs(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770") reinterpret_cast<Found*>(param)->windows.push_back(window);
    return TRUE;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND BitmapPicture(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

BOOL CALLBACK HasTrackbar(HWND child, LPARAM found) {
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, TRACKBAR_CLASSA) != 0) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

void ClickAt(int x, int y) {
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT inputs[3] = {};
    for (auto& in : inputs) {
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / w;
        in.mi.dy = y * 65535 / h;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &inputs[0], sizeof(INPUT));
    Sleep(50);
    SendInput(2, &inputs[1], sizeof(INPUT));
}

}  // namespace

bool IsParameterDialog(HWND window) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0) return false;
    bool found = false;
    EnumChildWindows(window, HasTrackbar, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The windows to watch are on the desktop of the thread that made the driver,
// which need not be the process's first one (see JoinWrapperDesktop).
WindowWatch::WindowWatch()
    : thread_([this, desktop = GetThreadDesktop(GetCurrentThreadId())] {
          SetThreadDesktop(desktop);
          Loop();
      }) {}

WindowWatch::~WindowWatch() {
    stop_ = true;
    thread_.join();
}

void WindowWatch::SetScreenshotPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    screenshotPath_ = path;
}

void WindowWatch::SetDialogScreenshotPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    dialogScreenshotPath_ = path;
}

std::vector<UiEvent> WindowWatch::Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

void WindowWatch::Record(const UiEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
}

void WindowWatch::AnswerMessageBoxes(bool answer) { answerMessages_ = answer; }

void WindowWatch::SetHooks(Hooks* hooks) {
    std::lock_guard<std::mutex> lock(hooksMutex_);
    hooks_ = hooks;
}

void WindowWatch::Loop() {
    while (!stop_) {
        {
            std::lock_guard<std::mutex> lock(hooksMutex_);
            if (hooks_ != nullptr) hooks_->Tick();
        }
        Found found;
        EnumWindows(CollectOwnDialogs, reinterpret_cast<LPARAM>(&found));
        for (HWND w : found.windows) {
            if (std::find(handled_.begin(), handled_.end(), w) != handled_.end() && IsWindow(w)) continue;
            Handle(w);
        }
        handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !IsWindow(w); }),
                       handled_.end());
        // An interrupt (Ctrl+C, a signal to the wrapper, the wrapper gone)
        // while the plug-in's dialog is open closes it as a person would, with
        // Cancel: the run then ends with result 1 and writes nothing, instead
        // of waiting on. The about box is closed the same way.
        if (AbortRequested()) {
            for (HWND w : found.windows) {
                const bool parameters = IsWindow(w) && IsParameterDialog(w);
                const bool about = IsWindow(w) && !parameters && BitmapPicture(w) != nullptr;
                if (!parameters && !about) continue;
                if (std::find(cancelled_.begin(), cancelled_.end(), w) != cancelled_.end()) continue;
                cancelled_.push_back(w);
                if (parameters) {
                    PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(w, IDCANCEL)));
                } else {  // the about box closes as Esc closes it
                    PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
                    PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
                }
            }
        }
        Sleep(20);
    }
}

namespace {

constexpr int kClassicFileNameId = 0x480;   // edt1
constexpr int kExplorerFileNameId = 0x47C;  // cmb13, a combo box with an edit

HWND FileNameField(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, kClassicFileNameId)) return edit;
    if (HWND combo = GetDlgItem(dialog, kExplorerFileNameId)) {
        if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr)) return edit;
        return combo;
    }
    return nullptr;
}

}  // namespace

void WindowWatch::Handle(HWND window) {
    handled_.push_back(window);
    UiEvent event;
    event.caption = WindowText(window);
    GetWindowRect(window, &event.rect);
    event.owner = GetWindow(window, GW_OWNER);
    // The parameter dialog carries a bitmap too, so it is told apart first.
    if (IsParameterDialog(window)) {
        event.kind = "parameters";
        NoteParameterDialog(window, event);
        Record(event);
        return;
    }
    // The about box's picture has the same id as a message box's text, so
    // the picture decides first.
    if (BitmapPicture(window) != nullptr) {
        event.kind = "about";
        AnswerAbout(window, event);
        Record(event);
        return;
    }
    // The open and save dialogs: the file-name field of the classic dialog
    // (edt1) or of the explorer one (the edit in cmb13). Their labels carry the
    // message box's text id, so they are told apart first.
    if (HWND name = FileNameField(window)) {
        event.kind = "file";
        bool answered = false;
        {
            std::lock_guard<std::mutex> lock(hooksMutex_);
            if (hooks_ != nullptr) answered = hooks_->AnswerFileDialog(window, name, event);
        }
        if (!answered) event.text = "(left to the person)";
        Record(event);
        return;
    }
    if (HWND text = GetDlgItem(window, kMessageTextId)) {
        event.kind = "message";
        event.text = WindowText(text);
        Record(event);
        // A box nobody can see would wait for ever: the run that says so
        // answers it, as a host running without its interface does.
        if (answerMessages_)
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(window, IDOK)));
    }
}

namespace {

// Whether the window or any window inside it still waits to be painted.
bool WaitsForPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return true;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && WaitsForPaint(child)) return true;
    return false;
}

// Painted: nothing left to paint twice in a row, 50 ms apart (at most 5 s).
void WaitPainted(HWND window) {
    int quiet = 0;
    for (int i = 0; i < 100 && quiet < 2; ++i) {
        Sleep(50);
        quiet = IsWindow(window) && !WaitsForPaint(window) ? quiet + 1 : 0;
    }
}

// The screen point over image pixel (x, y) of a width x height image shown at
// the fit zoom: the smallest whole reduction that fits the preview window, the
// reduced image (floor(side / reduction) pixels) centred in the window,
// whose view starts one pixel outside the client area, under the border.
POINT OverImagePixel(HWND preview, int x, int y, int width, int height) {
    RECT outer;
    GetWindowRect(preview, &outer);
    const int viewWidth = std::max(1L, outer.right - outer.left), viewHeight = std::max(1L, outer.bottom - outer.top);
    const int fit = std::max(
        1, std::min({(width + viewWidth - 1) / viewWidth, (height + viewHeight - 1) / viewHeight, width, height}));
    const int shownWidth = width / fit, shownHeight = height / fit;
    POINT p{-1 + ((viewWidth - shownWidth) >> 1) + x / fit, -1 + ((viewHeight - shownHeight) >> 1) + y / fit};
    ClientToScreen(preview, &p);
    return p;
}

void ClickCentreOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace

void WindowWatch::SetDialogPick(int x, int y, int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    dialogPick_ = DialogPick{true, x, y, width, height};
}

void WindowWatch::NoteParameterDialog(HWND window, UiEvent& event) {
    std::string shot;
    DialogPick pick;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shot = dialogScreenshotPath_;
        pick = dialogPick_;
    }
    if (shot.empty()) return;
    WaitPainted(window);
    HWND destination = GetDlgItem(window, 301), preview = GetDlgItem(window, 5);
    if (pick.set && destination != nullptr && preview != nullptr) {
        ClickCentreOf(destination);
        Sleep(300);
        const POINT p = OverImagePixel(preview, pick.x, pick.y, pick.width, pick.height);
        ClickAt(p.x, p.y);
        // The pick repaints the preview, which then reports the spot under
        // the pointer to the read-outs.
        Sleep(500);
        WaitPainted(window);
    }
    std::string why = "the dialog closed before it was captured";
    if (IsWindow(window) && CaptureClientArea(window, shot, &why))
        event.text = "captured";
    else
        event.text = "not captured: " + why;
    if (pick.set && IsWindow(window))
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(window, IDCANCEL)));
}

void WindowWatch::AnswerAbout(HWND window, UiEvent& event) {
    std::string shot;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shot = screenshotPath_;
    }
    if (aboutAnswer_.load() == AboutAnswer::Leave && shot.empty()) return;  // for the person to close
    Sleep(300);                                                             // let it paint before it is captured
    std::string why = "the box closed before it was captured";
    if (!shot.empty()) event.text = CaptureWindow(window, shot, &why) ? "captured" : "not captured: " + why;
    HWND picture = BitmapPicture(window);
    switch (aboutAnswer_.load()) {
        case AboutAnswer::Click: {
            RECT r;
            GetWindowRect(picture, &r);
            ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            break;
        }
        case AboutAnswer::Enter:
            PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageA(window, WM_KEYUP, VK_RETURN, 0);
            break;
        case AboutAnswer::DoubleClickThenEscape:
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(picture), STN_DBLCLK), LPARAM(picture));
            Sleep(300);
            event.survivedDoubleClick = IsWindow(window) && IsWindowVisible(window);
            [[fallthrough]];
        case AboutAnswer::Leave:  // asked only for its picture: closed as Esc would
        case AboutAnswer::Escape:
            PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0);
            break;
    }
}

}  // namespace filterhost
