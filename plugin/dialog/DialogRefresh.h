// Bringing the dialog's controls back in line with currentParameters and the
// preview's zoom after a change from outside the controls themselves.
#pragma once

#include "DialogSurface.h"

namespace tavirel {

// After Reset, Default and the Preview check box: every pair, the swatches
// and the preview.
void RefreshDialogControls(DialogSurface& dialog);
// The preview repaints at its next paint (no erase); the zoom text now.
void RefreshPreviewArea(DialogSurface& dialog);
// The zoom percentage followed by "%" in control 9, set every time.
void ShowZoomPercent(DialogSurface& dialog);

}  // namespace tavirel
