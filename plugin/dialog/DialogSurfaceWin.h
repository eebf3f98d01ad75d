// The dialog surface over a real dialog window: each operation is one or two
// system calls on the control with that id.
#pragma once

#include <windows.h>

#include "../../hostapi/HostInterface.h"
#include "DialogSurface.h"

namespace tavirel {

class Win32DialogSurface final : public DialogSurface {
public:
    // `record` may be null where no preview or handle is reached.
    Win32DialogSurface(HWND dialog, FilterRecord* record) : dialog_(dialog), record_(record) {}

    bool HasControl(int id) override;
    bool ReadBinding(int trackbar, ValueBinding* binding) override;
    void StoreBinding(int trackbar, ValueBinding binding) override;
    void SetTrackbarRange(int trackbar, int32_t minimum, int32_t maximum) override;
    int32_t TrackbarMinimum(int trackbar) override;
    int32_t TrackbarMaximum(int trackbar) override;
    int32_t TrackbarPosition(int trackbar) override;
    void SetTrackbarPosition(int trackbar, int16_t position) override;
    void ReadText(int id, int maxChars, unsigned char* counted) override;
    bool ReadInteger(int id, int32_t* value) override;
    void ReplaceText(int id, const unsigned char* counted) override;
    void SetText(int id, const unsigned char* counted) override;
    void SelectAllAndFocus(int id) override;
    void ShowTextStart(int id) override;
    bool HasFocus(int id) override;
    bool IsChecked(int id) override;
    bool PointInControl(int id, int32_t x, int32_t y) override;
    ModifierKeys Modifiers() override;
    void EndDialog(int code) override;
    void WarningBeep() override;
    void InvalidateSwatches() override;
    void RepaintSwatchesNow() override;
    void InvalidatePreview() override;
    void RedrawPreview() override;
    int SetPreviewZoom(int32_t request) override;
    uint32_t PreviewZoomPercent() override;
    void SetPreviewShowsEffect(int32_t flag) override;
    int LoadParameterFile() override;
    int SaveParameterFile() override;
    int LoadParametersFromHandle() override;
    int OnColourCommand(int id, int code, intptr_t lParam) override;

private:
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND dialog_;
    FilterRecord* record_;
};

}  // namespace tavirel
