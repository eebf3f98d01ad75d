#include "DialogCommands.h"

#include "../filter/FilterParameters.h"
#include "CancelLabel.h"
#include "DialogRefresh.h"
#include "ParameterDialogIds.h"
#include "ValuePairs.h"

namespace tavirel {
namespace {

// Notification codes (the system's BN_ and EN_ values).
constexpr int kButtonClicked = 0;
constexpr int kButtonDoubleClicked = 5;
constexpr int kEditChanged = 0x0300;
constexpr int kEditLostFocus = 0x0200;

// Zoom requests understood by SetPreviewZoom.
constexpr int32_t kZoomStepOut = -1;
constexpr int32_t kZoomStepIn = 1;
constexpr int32_t kZoomFit = 0;
constexpr int32_t kZoomActualSize = 100;

// The Cancel command reads the label in at most this many characters.
constexpr int kLabelReadChars = 254;

bool IsClick(int code) { return code == kButtonClicked || code == kButtonDoubleClicked; }

int OnOk(DialogSurface& dialog) {
    const int bad = ValidateValueEdits(dialog);
    if (bad > 0) {
        // The edit already shows the nearest acceptable value; the user sees
        // it selected and hears why the dialog did not close.
        dialog.SelectAllAndFocus(bad);
        dialog.WarningBeep();
        return 1;
    }
    // A missing trackbar (-109) makes its pair inert, not the dialog stuck.
    dialog.EndDialog(PARAM_DLG_OK);
    return 0;
}

void OnCancel(DialogSurface& dialog) {
    unsigned char label[256];
    dialog.ReadText(PARAM_DLG_CANCEL, kLabelReadChars, label);
    switch (CancelActionFor(label)) {
        case CancelAction::Default:
            SetDefaultParameters(&currentParameters);
            RefreshDialogControls(dialog);
            break;
        case CancelAction::Reset:
            // The values the dialog opened with; the defaults when the host's
            // record is not ours.
            dialog.LoadParametersFromHandle();
            RefreshDialogControls(dialog);
            break;
        case CancelAction::Close: dialog.EndDialog(PARAM_DLG_CANCEL); break;
    }
}

void OnZoomButton(DialogSurface& dialog, int32_t request) {
    if (dialog.SetPreviewZoom(request) == 1) RefreshPreviewArea(dialog);
}

}  // namespace

int OnDialogCommand(DialogSurface& dialog, int id, int code, intptr_t lParam) {
    switch (id) {
        case PARAM_DLG_OK: return OnOk(dialog);
        case PARAM_DLG_CANCEL: OnCancel(dialog); return 0;
        case PARAM_DLG_LOAD:
            // A cancelled file dialog counts as a load too and refreshes.
            if (dialog.LoadParameterFile() == 0) {
                dialog.InvalidateSwatches();
                RefreshValuePairs(dialog);
                RefreshPreviewArea(dialog);
            }
            return 0;
        case PARAM_DLG_SAVE: dialog.SaveParameterFile(); return 0;
        case PARAM_DLG_SHOW_EFFECT:
            if (IsClick(code)) {
                dialog.SetPreviewShowsEffect(dialog.IsChecked(PARAM_DLG_SHOW_EFFECT) ? 1 : 0);
                RefreshDialogControls(dialog);
            }
            return 0;
        case PARAM_DLG_ZOOM_OUT:
            if (IsClick(code)) OnZoomButton(dialog, kZoomStepOut);
            return 0;
        case PARAM_DLG_ZOOM_IN:
            if (IsClick(code)) OnZoomButton(dialog, kZoomStepIn);
            return 0;
        default: break;
    }
    if (IsValueEdit(valuePairRun, id)) {
        // Only what the user types: the program's own text updates happen
        // while the edit does not have the focus.
        if (code == kEditChanged && dialog.HasFocus(id)) OnValueEdited(dialog, TrackbarOfEdit(valuePairRun, id));
        // Left with the caret at its end, an edit whose text is a little too
        // wide for it would go on showing it with the first digit scrolled
        // away ("00.0" for 100.0).
        if (code == kEditLostFocus) dialog.ShowTextStart(id);
        return 0;
    }
    if (dialog.OnColourCommand(id, code, lParam) != 0) {
        RefreshValuePairs(dialog);
        RefreshPreviewArea(dialog);
    }
    return 0;
}

void OnZoomTextClick(DialogSurface& dialog, int32_t x, int32_t y) {
    if (!dialog.PointInControl(PARAM_DLG_ZOOM_TEXT, x, y)) return;
    dialog.SetPreviewZoom(dialog.PreviewZoomPercent() == 100 ? kZoomFit : kZoomActualSize);
    // Rewritten whether or not the zoom changed.
    RefreshPreviewArea(dialog);
}

}  // namespace tavirel
