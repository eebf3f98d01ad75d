// A second thread that watches the windows the plug-in opens in this process,
// as an editor's own interface would: it notes each one (a message box with
// its caption and text, the about box, the parameter dialog, an open or save
// dialog) and closes an open parameter dialog with Cancel once the run is
// aborted. It answers nothing a person could answer, unless told to:
//   AnswerMessageBoxes  presses OK on message boxes; for runs whose windows
//                       nobody sees, where a box would wait for ever
//   SetAboutAnswer      closes the about box (click, Enter, Esc)
//   SetScreenshotPath, SetDialogScreenshotPath, SetDialogPick
//                       capture the about box, or the parameter dialog once
//                       painted (after a staged pick), as --screenshot and
//                       --screenshot-pick ask
// Test automation (tests/support/UiDriver.h) adds file-dialog answers and
// pointer input through Hooks.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "WindowCapture.h"

namespace filterhost {

// Leave: the box stays until the person closes it.
enum class AboutAnswer { Leave, Click, Enter, Escape, DoubleClickThenEscape };

struct UiEvent {
    std::string kind;  // "message", "about", "file", "parameters"
    std::string caption;
    std::string text;                  // a message's text; "captured" or why not; a file dialog's answer
    RECT rect{};                       // the window's screen rectangle when found
    HWND owner = nullptr;              // the window that owns it
    bool survivedDoubleClick = false;  // about box: still open after a double-click notification
};

// A dialog of the class the plug-in's parameter dialog has, with a trackbar.
bool IsParameterDialog(HWND window);

class WindowWatch {
public:
    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    void AnswerMessageBoxes(bool answer);
    void SetAboutAnswer(AboutAnswer answer) { aboutAnswer_ = answer; }
    // Where to save the about box's own pixels as a PNG (empty: no capture);
    // a box captured and not otherwise answered is then closed as Esc would.
    void SetScreenshotPath(const std::string& path);
    // Where to save a parameter dialog's pixels as a PNG once it has opened
    // and painted (empty: no capture). The event's text says "captured", or
    // why not.
    void SetDialogScreenshotPath(const std::string& path);
    // Stages a picture as a person would take it: the Destination swatch
    // (301) clicked, then the preview clicked over pixel (x, y) of the
    // width x height image shown at the fit zoom, the pointer left there so
    // the read-outs show that spot; after the capture the dialog is cancelled.
    void SetDialogPick(int x, int y, int width, int height);
    std::vector<UiEvent> Events();

    // What automation adds, called on the watch's thread.
    class Hooks {
    public:
        virtual ~Hooks() = default;
        // Once per round of the watch, about every 20 ms.
        virtual void Tick() {}
        // An open or save dialog appeared; true when answered (event.text says how).
        virtual bool AnswerFileDialog(HWND dialog, HWND nameField, UiEvent& event) = 0;
    };
    // Null takes them away; returns once no hook runs any more.
    void SetHooks(Hooks* hooks);

private:
    void Loop();
    void Handle(HWND window);
    void AnswerAbout(HWND window, UiEvent& event);
    void NoteParameterDialog(HWND window, UiEvent& event);
    void Record(const UiEvent& event);

    std::atomic<bool> stop_{false};
    std::atomic<bool> answerMessages_{false};
    std::atomic<AboutAnswer> aboutAnswer_{AboutAnswer::Leave};
    std::mutex mutex_;
    std::vector<UiEvent> events_;
    std::vector<HWND> handled_;
    std::vector<HWND> cancelled_;  // parameter dialogs cancelled on an interrupt
    std::string screenshotPath_;
    std::string dialogScreenshotPath_;
    struct DialogPick {
        bool set = false;
        int x = 0, y = 0, width = 0, height = 0;
    } dialogPick_;
    std::mutex hooksMutex_;
    Hooks* hooks_ = nullptr;
    std::thread thread_;  // last: it starts once everything above is made
};

}  // namespace filterhost
