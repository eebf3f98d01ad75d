#include "CancelLabel.h"

#include "../util/CountedString.h"
#include "ParameterDialogIds.h"

namespace tavirel {

const unsigned char cancelLabelDefault[8] = {7, 'D', 'e', 'f', 'a', 'u', 'l', 't'};
const unsigned char cancelLabelReset[6] = {5, 'R', 'e', 's', 'e', 't'};
const unsigned char cancelLabelCancel[7] = {6, 'C', 'a', 'n', 'c', 'e', 'l'};

namespace {
// The label is compared in this many characters; all three are far shorter.
constexpr int kLabelReadChars = 62;

// Windows virtual keys: either Shift or Alt, then the left and right ones.
constexpr unsigned kShift = 0x10, kLeftShift = 0xA0, kRightShift = 0xA1;
constexpr unsigned kAlt = 0x12, kLeftAlt = 0xA4, kRightAlt = 0xA5;
}  // namespace

ModifierKeys ModifiersAfterKey(ModifierKeys held, unsigned virtualKey, bool released) {
    if (virtualKey == kShift || virtualKey == kLeftShift || virtualKey == kRightShift) held.shift = !released;
    if (virtualKey == kAlt || virtualKey == kLeftAlt || virtualKey == kRightAlt) held.alt = !released;
    return held;
}

const unsigned char* CancelLabelFor(ModifierKeys keys) {
    if (!keys.alt) return cancelLabelCancel;
    return keys.shift ? cancelLabelDefault : cancelLabelReset;
}

CancelAction CancelActionFor(const unsigned char* shownLabel) {
    if (CountedStringsEqual(shownLabel, cancelLabelDefault)) return CancelAction::Default;
    if (CountedStringsEqual(shownLabel, cancelLabelReset)) return CancelAction::Reset;
    return CancelAction::Close;
}

void UpdateCancelLabel(DialogSurface& dialog) {
    if (dialog.HasControl(PARAM_DLG_CANCEL)) ApplyCancelLabel(dialog, dialog.Modifiers());
}

void ApplyCancelLabel(DialogSurface& dialog, ModifierKeys keys) {
    if (!dialog.HasControl(PARAM_DLG_CANCEL)) return;
    const unsigned char* wanted = CancelLabelFor(keys);
    unsigned char shown[256];
    dialog.ReadText(PARAM_DLG_CANCEL, kLabelReadChars, shown);
    if (!CountedStringsEqual(shown, wanted)) dialog.SetText(PARAM_DLG_CANCEL, wanted);
}

}  // namespace tavirel
