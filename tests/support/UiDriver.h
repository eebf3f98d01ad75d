// The tests' automation on top of the host's window watch: it answers
// message boxes and the about box (Esc unless told otherwise) as the watch
// can be told to, types queued names into open and save dialogs (cancelling
// one with no answer left, so a test never waits on it), and moves, presses
// and releases the pointer through SendInput from the watch's thread while
// the caller's thread goes on handling its windows' messages. Nothing a user
// runs links it.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "filterhost/lib/WindowWatch.h"

namespace filterhost {

// One step of the pointer, in screen pixels; the driver waits pauseMs after it.
struct PointerStep {
    enum Kind { Move, Press, Release } kind;
    int x = 0, y = 0;  // where to move (Move only)
    int pauseMs = 30;
};

class UiDriver : public WindowWatch, private WindowWatch::Hooks {
public:
    UiDriver();
    ~UiDriver() override;

    // Answers for the next open or save dialogs, in order: a name (or path) is
    // typed into the file-name field and OK pressed; an empty one cancels.
    // A dialog with no answer left is cancelled.
    void AnswerFileDialogs(const std::vector<std::string>& names);

    // Sent in order; a modifier key is not touched.
    void QueuePointer(const std::vector<PointerStep>& steps);
    // true once every queued pointer step has been sent and its pause is over.
    bool PointerIdle();

private:
    void Tick() override;
    bool AnswerFileDialog(HWND dialog, HWND nameField, UiEvent& event) override;

    std::mutex mutex_;
    std::deque<std::string> fileAnswers_;
    std::deque<PointerStep> pointerSteps_;
    bool pointerBusy_ = false;
};

}  // namespace filterhost
