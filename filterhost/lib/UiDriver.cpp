#include "UiDriver.h"

#include <algorithm>

#include "DialogDriver.h"
#include "PngFile.h"
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

// A screen position as SendInput's normalised coordinate on an axis of
// `extent` pixels, rounded up: the system maps n back to (n x extent) >> 16,
// which then lands on the pixel itself rather than the one before.
LONG Normalised(int position, int extent) { return LONG((int64_t(position) * 65536 + extent - 1) / extent); }

void SendPointer(const PointerStep& step) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    switch (step.kind) {
        case PointerStep::Move:
            in.mi.dx = Normalised(step.x, GetSystemMetrics(SM_CXSCREEN));
            in.mi.dy = Normalised(step.y, GetSystemMetrics(SM_CYSCREEN));
            in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            break;
        case PointerStep::Press: in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN; break;
        case PointerStep::Release: in.mi.dwFlags = MOUSEEVENTF_LEFTUP; break;
    }
    SendInput(1, &in, sizeof(INPUT));
}

}  // namespace

namespace {

// The screen's pixels in w x h at (left, top), as shown.
ScreenPixels CaptureScreen(int left, int top, int w, int h) {
    ScreenPixels shot;
    if (w <= 0 || h <= 0) return shot;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, left, top, SRCCOPY);
    GdiFlush();
    shot.width = w, shot.height = h;
    shot.pixels.resize(size_t(w) * size_t(h));
    const auto* px = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = px[i] & 0xFFFFFFu;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool SavePixels(const ScreenPixels& shot, const std::string& path) {
    if (shot.pixels.empty()) return false;
    PngImage image;
    image.width = shot.width, image.height = shot.height, image.channels = 3, image.bits = 8;
    image.samples.resize(shot.pixels.size() * 3);
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        image.samples[i * 3] = uint8_t(shot.pixels[i] >> 16);
        image.samples[i * 3 + 1] = uint8_t(shot.pixels[i] >> 8);
        image.samples[i * 3 + 2] = uint8_t(shot.pixels[i]);
    }
    std::string error;
    return WritePng(path, image, &error);
}

}  // namespace

ScreenPixels CaptureClientPixels(HWND window) {
    RECT r;
    if (!GetClientRect(window, &r)) return ScreenPixels{};
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return CaptureScreen(origin.x, origin.y, r.right - r.left, r.bottom - r.top);
}

bool CaptureWindow(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    return SavePixels(CaptureScreen(r.left, r.top, r.right - r.left, r.bottom - r.top), path);
}

bool CaptureClientArea(HWND window, const std::string& path) { return SavePixels(CaptureClientPixels(window), path); }

// The windows to answer are on the desktop of the thread that made the driver,
// which need not be the process's first one (see JoinWrapperDesktop).
UiDriver::UiDriver()
    : thread_([this, desktop = GetThreadDesktop(GetCurrentThreadId())] {
          SetThreadDesktop(desktop);
          Loop();
      }) {}

UiDriver::~UiDriver() {
    stop_ = true;
    thread_.join();
}

void UiDriver::SetScreenshotPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    screenshotPath_ = path;
}

void UiDriver::SetDialogScreenshotPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    dialogScreenshotPath_ = path;
}

std::vector<UiEvent> UiDriver::Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

void UiDriver::Record(const UiEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
}

void UiDriver::QueuePointer(const std::vector<PointerStep>& steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    pointerSteps_.insert(pointerSteps_.end(), steps.begin(), steps.end());
}

bool UiDriver::PointerIdle() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pointerSteps_.empty() && !pointerBusy_;
}

void UiDriver::RunPointerSteps() {
    for (;;) {
        PointerStep step;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (pointerSteps_.empty()) {
                pointerBusy_ = false;
                return;
            }
            step = pointerSteps_.front();
            pointerSteps_.pop_front();
            pointerBusy_ = true;
        }
        SendPointer(step);
        Sleep(DWORD(step.pauseMs));
    }
}

void UiDriver::Loop() {
    while (!stop_) {
        RunPointerSteps();
        Found found;
        EnumWindows(CollectOwnDialogs, reinterpret_cast<LPARAM>(&found));
        for (HWND w : found.windows) {
            if (std::find(handled_.begin(), handled_.end(), w) != handled_.end() && IsWindow(w)) continue;
            Handle(w);
        }
        handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !IsWindow(w); }),
                       handled_.end());
        // An interrupt (Ctrl+C, or a signal to the wrapper) while the plug-in's
        // dialog is open closes it as a person would, with Cancel: the run then
        // ends with result 1 and writes nothing, instead of waiting on.
        if (AbortRequested()) {
            for (HWND w : found.windows) {
                if (!IsWindow(w) || !IsParameterDialog(w)) continue;
                if (std::find(cancelled_.begin(), cancelled_.end(), w) != cancelled_.end()) continue;
                cancelled_.push_back(w);
                PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(w, IDCANCEL)));
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

void UiDriver::AnswerFileDialogs(const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileAnswers_.insert(fileAnswers_.end(), names.begin(), names.end());
}

void UiDriver::Handle(HWND window) {
    handled_.push_back(window);
    UiEvent event;
    event.caption = WindowText(window);
    GetWindowRect(window, &event.rect);
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
        std::string answer;
        bool cancel = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!fileAnswers_.empty()) {
                answer = fileAnswers_.front();
                fileAnswers_.pop_front();
                cancel = answer.empty();
            }
        }
        event.text = cancel ? "(cancelled)" : answer;
        Record(event);
        Sleep(100);  // as a person would, once the dialog is up
        if (cancel) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(window, IDCANCEL)));
        } else {
            SendMessageA(name, WM_SETTEXT, 0, LPARAM(answer.c_str()));
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(window, IDOK)));
        }
        return;
    }
    if (HWND text = GetDlgItem(window, kMessageTextId)) {
        event.kind = "message";
        event.text = WindowText(text);
        Record(event);
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
// reduced image (padded by one pixel when reduced) centred in the window,
// whose view starts one pixel outside the client area, under the border.
POINT OverImagePixel(HWND preview, int x, int y, int width, int height) {
    RECT outer;
    GetWindowRect(preview, &outer);
    const int viewWidth = std::max(1L, outer.right - outer.left), viewHeight = std::max(1L, outer.bottom - outer.top);
    const int fit = std::max({1, (width + viewWidth - 1) / viewWidth, (height + viewHeight - 1) / viewHeight});
    const int shownWidth = fit >= 2 ? (width + fit - 2) / fit + 1 : width;
    const int shownHeight = fit >= 2 ? (height + fit - 2) / fit + 1 : height;
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

void UiDriver::SetDialogPick(int x, int y, int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    dialogPick_ = DialogPick{true, x, y, width, height};
}

void UiDriver::NoteParameterDialog(HWND window, UiEvent& event) {
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
    if (IsWindow(window) && CaptureClientArea(window, shot)) event.text = "captured";
    if (pick.set && IsWindow(window))
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(window, IDCANCEL)));
}

void UiDriver::AnswerAbout(HWND window, UiEvent& event) {
    Sleep(300);  // let it paint before it is captured
    std::string shot;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shot = screenshotPath_;
    }
    if (!shot.empty()) CaptureWindow(window, shot);
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
        case AboutAnswer::Escape:
            PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0);
            break;
    }
}

}  // namespace filterhost
