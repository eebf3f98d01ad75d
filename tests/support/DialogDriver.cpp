#include "DialogDriver.h"

#include <commctrl.h>

#include <vector>

namespace filterhost {
namespace {

constexpr UINT kReplyTimeoutMs = 5000;

struct Search {
    bool anyProcess;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!search->anyProcess && process != GetCurrentProcessId()) return TRUE;
    if (!IsWindowVisible(window) || !IsParameterDialog(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The normalised absolute coordinate that the system maps back onto this very
// pixel: n x extent >> 16 must give the position, so round up.
LONG Normalised(int position, int extent) { return LONG((int64_t(position) * 65536 + extent - 1) / extent); }

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = Normalised(x, GetSystemMetrics(SM_CXSCREEN));
        in.mi.dy = Normalised(y, GetSystemMetrics(SM_CYSCREEN));
    }
    SendInput(1, &in, sizeof in);
}

POINT Centre(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool RunOnDisplay(const std::string& arguments) {
    std::string line = "/usr/bin/xdotool " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Wine starts a Unix program detached: its handle cannot be waited on, so
    // give it the time it needs.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(400);
    return true;
}

std::string EachKey(const std::string& verb, const std::string& keys) {
    std::string arguments, word;
    for (size_t i = 0; i <= keys.size(); ++i) {
        if (i == keys.size() || keys[i] == ' ') {
            if (!word.empty()) arguments += verb + " " + word + " ";
            word.clear();
        } else {
            word += keys[i];
        }
    }
    return arguments;
}

}  // namespace

HWND WaitForParameterDialog(int timeoutMs, bool anyProcess) {
    const DWORD start = GetTickCount();
    do {
        Search search{anyProcess};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(20);
    } while (GetTickCount() - start < DWORD(timeoutMs));
    return nullptr;
}

bool DialogDriver::WaitClosed(int timeoutMs) const {
    return WaitFor([this] { return !IsOpen(); }, timeoutMs);
}

LRESULT DialogDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR reply = 0;
    if (window == nullptr ||
        !SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kReplyTimeoutMs, &reply))
        return 0;
    return LRESULT(reply);
}

std::string DialogDriver::Text(int id) const {
    char text[512] = "";
    // Through the message, which Wine carries across processes too.
    Send(Control(id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool DialogDriver::Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }

bool DialogDriver::Checked(int id) const { return Send(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

int DialogDriver::TrackbarPosition(int id) const { return int(Send(Control(id), TBM_GETPOS, 0, 0)); }

int DialogDriver::FocusedId() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info) || info.hwndFocus == nullptr) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void DialogDriver::Selection(int id, int* start, int* end) const {
    DWORD from = 0, to = 0;
    Send(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    *start = int(from);
    *end = int(to);
}

ScreenPixels DialogDriver::Pixels(int id) const { return CaptureClientPixels(Control(id)); }

bool DialogDriver::Capture(const std::string& path) const {
    std::string why;
    return CaptureWindow(dialog_, path, &why);
}

void DialogDriver::Focus(int id) {
    // The dialog manager's own way to a control, as Tab takes it.
    Send(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
    Settle(50);
}

void DialogDriver::Type(const std::string& text) {
    std::vector<INPUT> keys;
    for (unsigned char c : text) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        keys.push_back(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        keys.push_back(in);
    }
    // One character at a time, as a person types, so that each change is seen.
    for (size_t i = 0; i < keys.size(); i += 2) {
        SendInput(2, &keys[i], sizeof(INPUT));
        Settle(60);
    }
    Settle();
}

void DialogDriver::Key(WORD virtualKey, int times) {
    for (int i = 0; i < times; ++i) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = virtualKey;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Settle(60);
    }
    Settle();
}

void DialogDriver::Enter(int id, const std::string& text) {
    Focus(id);
    Send(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
}

void DialogDriver::MoveTo(int x, int y) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Settle(80);
}

void DialogDriver::MoveOver(int id) {
    const POINT p = Centre(Control(id));
    MoveTo(p.x, p.y);
}

void DialogDriver::ClickAt(int x, int y) {
    MoveTo(x, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Settle(60);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

void DialogDriver::Click(int id) {
    const POINT p = Centre(Control(id));
    ClickAt(p.x, p.y);
}

void DialogDriver::DragTrackbarThumb(int id, int dx) {
    HWND trackbar = Control(id);
    RECT thumb{};
    Send(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT at{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ClientToScreen(trackbar, &at);
    MoveTo(at.x, at.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Settle(80);
    constexpr int kSteps = 4;
    for (int step = 1; step <= kSteps; ++step) MoveTo(at.x + dx * step / kSteps, at.y);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

bool DialogDriver::PressOnDisplay(const std::string& keys) { return RunOnDisplay(EachKey("keydown", keys)); }

bool DialogDriver::ReleaseOnDisplay(const std::string& keys) { return RunOnDisplay(EachKey("keyup", keys)); }

void DialogDriver::Settle(int ms) const {
    Sleep(DWORD(ms));
    Send(dialog_, WM_NULL, 0, 0);
}

bool DialogDriver::WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= DWORD(timeoutMs)) return false;
        Sleep(20);
    }
    return true;
}

}  // namespace filterhost
