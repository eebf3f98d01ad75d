// A second thread that finds the windows the plug-in opens in this process
// and answers them as a person would: it reads a message box's caption and
// text and presses OK; it looks at the about box, captures it and closes it.
// A parameter dialog (a dialog with a trackbar) is only noted, and captured
// once painted when asked: working it is for a person, or a DialogDriver.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace filterhost {

enum class AboutAnswer { Click, Enter, Escape, DoubleClickThenEscape };

// One step of the pointer, in screen pixels; the driver waits pauseMs after it.
struct PointerStep {
    enum Kind { Move, Press, Release } kind;
    int x = 0, y = 0;  // where to move (Move only)
    int pauseMs = 30;
};

struct UiEvent {
    std::string kind;  // "message", "about", "file", "parameters"
    std::string caption;
    std::string text;
    RECT rect{};                       // the window's screen rectangle when found
    bool survivedDoubleClick = false;  // about box: still open after a double-click notification
};

class UiDriver {
public:
    UiDriver();
    ~UiDriver();
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    void SetAboutAnswer(AboutAnswer answer) { aboutAnswer_ = answer; }
    // Where to save the about box's own pixels as a PNG (empty: no capture).
    void SetScreenshotPath(const std::string& path);
    // Where to save a parameter dialog's pixels as a PNG once it has opened
    // and painted (empty: no capture). The event's text says "captured" then.
    void SetDialogScreenshotPath(const std::string& path);
    // Stages that screenshot as a person would: the Destination swatch (301)
    // clicked, then the preview clicked over pixel (x, y) of the
    // width x height image shown at the fit zoom, the pointer left there so
    // the read-outs show that spot; after the capture the dialog is cancelled.
    void SetDialogPick(int x, int y, int width, int height);

    // Answers for the next open or save dialogs, in order: a name (or path) is
    // typed into the file-name field and OK pressed; an empty one cancels.
    // A dialog with no answer left is cancelled.
    void AnswerFileDialogs(const std::vector<std::string>& names);
    std::vector<UiEvent> Events();

    // Moves, presses and releases the left button through SendInput from the
    // driver's thread, in order, while the caller's thread goes on handling
    // its windows' messages. A modifier key is not touched.
    void QueuePointer(const std::vector<PointerStep>& steps);
    // true once every queued pointer step has been sent and its pause is over.
    bool PointerIdle();

private:
    void RunPointerSteps();
    void Loop();
    void Handle(HWND window);
    void AnswerAbout(HWND window, UiEvent& event);
    void NoteParameterDialog(HWND window, UiEvent& event);
    void Record(const UiEvent& event);

    std::atomic<bool> stop_{false};
    std::atomic<AboutAnswer> aboutAnswer_{AboutAnswer::Escape};
    std::mutex mutex_;
    std::vector<UiEvent> events_;
    std::deque<std::string> fileAnswers_;
    std::deque<PointerStep> pointerSteps_;
    bool pointerBusy_ = false;
    std::vector<HWND> handled_;
    std::vector<HWND> cancelled_;  // parameter dialogs cancelled on an interrupt
    std::string screenshotPath_;
    std::string dialogScreenshotPath_;
    struct DialogPick {
        bool set = false;
        int x = 0, y = 0, width = 0, height = 0;
    } dialogPick_;
    std::thread thread_;
};

// Saves a window's current pixels (as shown on screen) as an 8-bit RGB PNG.
bool CaptureWindow(HWND window, const std::string& path);
// The client area alone: under Wine with no window manager nobody draws a
// caption, so a window's whole rectangle shows a black band in its place.
bool CaptureClientArea(HWND window, const std::string& path);

// A window's client area as shown on screen, 0x00RRGGBB row by row.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
ScreenPixels CaptureClientPixels(HWND window);

}  // namespace filterhost
