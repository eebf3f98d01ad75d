// The parameter dialog as its logic sees it: controls addressed by id, and
// the other parts of the plug-in the dialog calls. The Win32 dialog
// implements it over real windows (DialogSurfaceWin); tests implement it over
// plain data. Every operation on a missing control does nothing and reads as
// empty, zero or false.
#pragma once

#include <cstdint>

#include "ValueBinding.h"

namespace tavirel {

struct ModifierKeys {
    bool alt = false;
    bool shift = false;
};

class DialogSurface {
public:
    virtual ~DialogSurface() = default;

    virtual bool HasControl(int id) = 0;

    // A trackbar's binding in its user data; false when there is no such trackbar.
    virtual bool ReadBinding(int trackbar, ValueBinding* binding) = 0;
    virtual void StoreBinding(int trackbar, ValueBinding binding) = 0;
    // The range is set with the trackbar redrawn.
    virtual void SetTrackbarRange(int trackbar, int32_t minimum, int32_t maximum) = 0;
    virtual int32_t TrackbarMinimum(int trackbar) = 0;
    virtual int32_t TrackbarMaximum(int trackbar) = 0;
    virtual int32_t TrackbarPosition(int trackbar) = 0;
    // Moves the thumb to a signed 16-bit position, redrawn.
    virtual void SetTrackbarPosition(int trackbar, int16_t position) = 0;

    // A control's text, at most maxChars characters, as a counted string.
    virtual void ReadText(int id, int maxChars, unsigned char* counted) = 0;
    // The text as the system reads a signed integer; false when it does not convert.
    virtual bool ReadInteger(int id, int32_t* value) = 0;
    // Replaces the text and repaints the control before returning.
    virtual void ReplaceText(int id, const unsigned char* counted) = 0;
    // Sets the text and leaves the repaint to the next paint.
    virtual void SetText(int id, const unsigned char* counted) = 0;
    // Selects the whole text of an edit and gives it the keyboard focus.
    virtual void SelectAllAndFocus(int id) = 0;
    // Scrolls an edit back to its first character, the caret before it.
    virtual void ShowTextStart(int id) = 0;
    virtual bool HasFocus(int id) = 0;
    virtual bool IsChecked(int id) = 0;
    // Whether (x, y) in the dialog's client coordinates lies on the control.
    virtual bool PointInControl(int id, int32_t x, int32_t y) = 0;
    // The modifier keys as held at this moment.
    virtual ModifierKeys Modifiers() = 0;

    virtual void EndDialog(int code) = 0;
    virtual void WarningBeep() = 0;

    // The swatches and the preview.
    virtual void InvalidateSwatches() = 0;
    virtual void RepaintSwatchesNow() = 0;
    virtual void InvalidatePreview() = 0;
    virtual void RedrawPreview() = 0;
    virtual int SetPreviewZoom(int32_t request) = 0;
    virtual uint32_t PreviewZoomPercent() = 0;
    virtual void SetPreviewShowsEffect(int32_t flag) = 0;

    // Settings from and to elsewhere.
    virtual int LoadParameterFile() = 0;
    virtual int SaveParameterFile() = 0;
    virtual int LoadParametersFromHandle() = 0;
    // Commands of the swatches and the preview: 1 when the selection or the
    // selected colour changed.
    virtual int OnColourCommand(int id, int code, intptr_t lParam) = 0;
};

}  // namespace tavirel
