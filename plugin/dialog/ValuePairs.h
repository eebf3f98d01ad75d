// The value pairs of the parameter dialog: each trackbar and its edit show one
// value of currentParameters (hue, saturation, brightness of the selected
// colour, or the range) and change it, in both directions.
#pragma once

#include <cstdint>

#include "DialogSurface.h"
#include "NumberText.h"
#include "ValueBinding.h"

namespace tavirel {

// The dialog's pairs, written by BindValuePairs; read by the command
// dispatch and the loops here.
extern ValuePairRun valuePairRun;

// Binds `count` pairs: each trackbar present gets its binding, its range and
// the value; a missing one is skipped. Then the first edit gets the focus with
// its text selected. 0, or -109 when a trackbar was missing.
int BindValuePairs(DialogSurface& dialog, int count, int firstTrackbar, int firstEdit, int decimals);
// Trackbar position and edit text from the value; -109 without the trackbar.
int SyncPairFromParameter(DialogSurface& dialog, int trackbar);
void RefreshValuePairs(DialogSurface& dialog);

// WM_HSCROLL / WM_VSCROLL of `trackbar` (0 when no trackbar window came with
// it) with the scroll code of the message's low word. Always 0.
int OnTrackbarScroll(DialogSurface& dialog, int code, int trackbar);
// EN_CHANGE of the focused edit of `trackbar`'s pair. 0, or -109.
int OnValueEdited(DialogSurface& dialog, int trackbar);
// At OK: 0 when every edit reads acceptably (and then every value is stored),
// else the id of the first edit that does not, now showing the clamped value;
// -109 when a trackbar is missing.
int ValidateValueEdits(DialogSurface& dialog);

int32_t ReadTrackbarValue(DialogSurface& dialog, int trackbar);
// As a signed 16-bit position.
void WriteTrackbarValue(DialogSurface& dialog, int trackbar, int32_t value);
// 1 when the text was replaced, 0 when it already showed the value.
int SetEditIntegerIfChanged(DialogSurface& dialog, int id, int32_t value);
int SetEditDecimalIfChanged(DialogSurface& dialog, int id, float value, int decimals);
EditReading ReadEditInteger(DialogSurface& dialog, int id, int32_t minimum, int32_t maximum);
DecimalReading ReadEditDecimal(DialogSurface& dialog, int id, float minimum, float maximum);

}  // namespace tavirel
