// The plug-in's parameter dialog worked as a person works it, from a thread
// other than the dialog's own (in this process, or in another one for reading
// texts and pressing keys): controls found by id, texts read back, keys typed
// and the pointer moved through the system's input queue, and the modifier
// keys held on the X display, where Wine keeps them across pointer moves.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UiDriver.h"

namespace filterhost {

// The first visible parameter dialog of this process (or of any process),
// waiting up to timeoutMs; null if none appears.
HWND WaitForParameterDialog(int timeoutMs, bool anyProcess = false);

class DialogDriver {
public:
    explicit DialogDriver(HWND dialog) : dialog_(dialog) {}

    HWND dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    bool IsOpen() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }
    // Waits until the dialog has closed; false after timeoutMs.
    bool WaitClosed(int timeoutMs = 5000) const;

    // What a person sees.
    std::string Text(int id) const;
    bool Visible(int id) const;
    bool Checked(int id) const;
    int TrackbarPosition(int id) const;
    // The control with the keyboard focus (0 for none or one without an id).
    int FocusedId() const;
    // An edit's selection, from start to end (exclusive).
    void Selection(int id, int* start, int* end) const;
    // The control's client area as shown on screen.
    ScreenPixels Pixels(int id) const;
    // The whole dialog as shown on screen, as a PNG.
    bool Capture(const std::string& path) const;

    // The keyboard. Focus moves as Tab moves it: an edit gets its whole text
    // selected, so typing replaces it.
    void Focus(int id);
    void Type(const std::string& text);
    void Key(WORD virtualKey, int times = 1);
    // The whole text put into the edit while it has the focus, as the dialog
    // sees typing: for texts wider than an edit that does not scroll, which
    // refuses a character that does not fit as it is typed.
    void Enter(int id, const std::string& text);

    // The pointer, in screen pixels.
    void MoveTo(int x, int y);
    void MoveOver(int id);
    void Click(int id);
    void ClickAt(int x, int y);
    // Presses on the trackbar's thumb, moves it dx pixels in a few steps, releases.
    void DragTrackbarThumb(int id, int dx);

    // Modifier keys pressed or released on the X display (xdotool names:
    // "alt", "shift", "alt shift"). They take effect in Wine at the next
    // pointer move or key event. false when xdotool could not be started.
    static bool PressOnDisplay(const std::string& keys);
    static bool ReleaseOnDisplay(const std::string& keys);

    // Lets the dialog's thread handle what was sent: a pause, then a message
    // round trip (which waits while the dialog is busy).
    void Settle(int ms = 150) const;
    // Polls `condition` until it holds; false after timeoutMs.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);

private:
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    HWND dialog_;
};

}  // namespace filterhost
