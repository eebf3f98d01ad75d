#include "UiDriver.h"

#include <cstdint>

namespace filterhost {
namespace {

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

UiDriver::UiDriver() {
    AnswerMessageBoxes(true);
    SetAboutAnswer(AboutAnswer::Escape);
    SetHooks(this);
}

UiDriver::~UiDriver() { SetHooks(nullptr); }

void UiDriver::AnswerFileDialogs(const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileAnswers_.insert(fileAnswers_.end(), names.begin(), names.end());
}

void UiDriver::QueuePointer(const std::vector<PointerStep>& steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    pointerSteps_.insert(pointerSteps_.end(), steps.begin(), steps.end());
}

bool UiDriver::PointerIdle() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pointerSteps_.empty() && !pointerBusy_;
}

void UiDriver::Tick() {
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

bool UiDriver::AnswerFileDialog(HWND dialog, HWND nameField, UiEvent& event) {
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
    Sleep(100);  // as a person would, once the dialog is up
    if (cancel) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDCANCEL)));
    } else {
        SendMessageA(nameField, WM_SETTEXT, 0, LPARAM(answer.c_str()));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    }
    return true;
}

}  // namespace filterhost
