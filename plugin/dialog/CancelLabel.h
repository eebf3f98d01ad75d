// The Cancel button's second and third meanings: while Alt is held it reads
// "Reset" (back to the values the dialog opened with), with Alt and Shift
// "Default" (the defaults). Its label decides what a press does.
#pragma once

#include "DialogSurface.h"

namespace tavirel {

// Counted strings: a length byte, then the characters, no terminating zero.
extern const unsigned char cancelLabelDefault[8];
extern const unsigned char cancelLabelReset[6];
extern const unsigned char cancelLabelCancel[7];

enum class CancelAction { Close, Reset, Default };

// "Cancel" without Alt, "Reset" with Alt alone, "Default" with Alt and Shift.
const unsigned char* CancelLabelFor(ModifierKeys keys);
// What a press of the button does with this label shown; exact and
// case-sensitive, anything but "Default" or "Reset" closes.
CancelAction CancelActionFor(const unsigned char* shownLabel);
// Relabels the Cancel button (id 2) for the keys held now, writing the text
// only when it differs from what the button shows.
void UpdateCancelLabel(DialogSurface& dialog);

}  // namespace tavirel
