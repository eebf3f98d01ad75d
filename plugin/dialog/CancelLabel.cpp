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
}  // namespace

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
    if (!dialog.HasControl(PARAM_DLG_CANCEL)) return;
    const unsigned char* wanted = CancelLabelFor(dialog.Modifiers());
    unsigned char shown[256];
    dialog.ReadText(PARAM_DLG_CANCEL, kLabelReadChars, shown);
    if (!CountedStringsEqual(shown, wanted)) dialog.SetText(PARAM_DLG_CANCEL, wanted);
}

}  // namespace tavirel
