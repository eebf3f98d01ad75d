// A stand-in for the parameter dialog while tests drive the preview: a
// visible dialog of the same size and font, holding only the invisible
// placeholder static control 5 (220 x 150 dialog units at 25, 9) that the
// preview window replaces. It records every WM_COMMAND the preview sends it,
// with a copy of the sample record it points at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace filterhost {

struct PreviewNotice {
    uint16_t code = 0;        // the notification code, the high word of wParam
    uint16_t id = 0;          // the sender's id, the low word
    bool hasRecord = false;   // lParam was not null
    int32_t input[24] = {};   // the record's unfiltered entries
    int32_t output[24] = {};  // and its filtered ones
};

class PreviewTestDialog {
public:
    // At (x, y) on the screen, in front; without the placeholder when asked.
    explicit PreviewTestDialog(int x = 60, int y = 60, bool withPlaceholder = true);
    ~PreviewTestDialog();
    PreviewTestDialog(const PreviewTestDialog&) = delete;
    PreviewTestDialog& operator=(const PreviewTestDialog&) = delete;

    HWND window() const { return window_; }
    const std::vector<PreviewNotice>& notices() const { return notices_; }
    void ClearNotices() { notices_.clear(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<PreviewNotice> notices_;
};

// Handles this thread's messages until none has arrived for quietMs.
void PumpMessages(int quietMs = 60);

}  // namespace filterhost
