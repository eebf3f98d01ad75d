#include "DialogRefresh.h"

#include "NumberText.h"
#include "ParameterDialogIds.h"
#include "ValuePairs.h"

namespace tavirel {

void RefreshDialogControls(DialogSurface& dialog) {
    RefreshValuePairs(dialog);
    dialog.InvalidateSwatches();
    RefreshPreviewArea(dialog);
}

void RefreshPreviewArea(DialogSurface& dialog) {
    dialog.InvalidatePreview();
    ShowZoomPercent(dialog);
}

void ShowZoomPercent(DialogSurface& dialog) {
    unsigned char text[256];
    // At most 1600 (16 x magnification), so it fits a signed number.
    FormatInteger(int32_t(dialog.PreviewZoomPercent()), text);
    text[++text[0]] = '%';
    dialog.SetText(PARAM_DLG_ZOOM_TEXT, text);
}

}  // namespace tavirel
