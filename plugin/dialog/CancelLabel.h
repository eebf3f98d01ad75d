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
// The modifiers as a key going down or up (virtualKey, a Windows VK_ code)
// leaves them: a Shift or Alt key counts as the event says, whatever the
// asynchronous state read with `held` shows yet; the others as held.
ModifierKeys ModifiersAfterKey(ModifierKeys held, unsigned virtualKey, bool released);
// Relabels the Cancel button (id 2) for these keys, writing the text only
// when it differs from what the button shows.
void ApplyCancelLabel(DialogSurface& dialog, ModifierKeys keys);
// The same for the keys held now.
void UpdateCancelLabel(DialogSurface& dialog);

}  // namespace tavirel
