#include "ValuePairs.h"

#include <cstring>

#include "../filter/FilterParameters.h"
#include "../util/ResultCodes.h"
#include "DialogRefresh.h"
#include "SelectedColour.h"

namespace tavirel {

ValuePairRun valuePairRun;

namespace {

// Scroll codes of a trackbar's WM_HSCROLL (the system's TB_ values).
constexpr int kThumbPosition = 4;
constexpr int kThumbTrack = 5;
constexpr int kEndTrack = 8;

// How much text the edits are read and compared with.
constexpr int kEditReadChars = 29;
constexpr int kEditCompareChars = 254;

float ScaledDown(int32_t value, int decimals) { return float(value) / kDecimalScale[ClampedDecimals(decimals)]; }

void ShowValueInEdit(DialogSurface& dialog, int edit, int32_t value, int decimals) {
    if (decimals == 0)
        SetEditIntegerIfChanged(dialog, edit, value);
    else
        SetEditDecimalIfChanged(dialog, edit, ScaledDown(value, decimals), decimals);
}

// The value as the pair's trackbar holds it goes to the settings, the edit
// and, at once, the swatches (for the colour pairs) and the preview.
void TakeTrackbarValue(DialogSurface& dialog, int trackbar, ValueBinding binding) {
    const int32_t value = ReadTrackbarValue(dialog, trackbar);
    const int edit = BindingEditId(binding);
    SetParameterComponent(SelectedColour(), BindingIndex(binding), value);
    ShowValueInEdit(dialog, edit, value, BindingDecimals(binding));
    // The pairs of the selected colour (and the hidden one) change what the
    // swatches show; the range does not.
    const int pair = TrackbarOfEdit(valuePairRun, edit);
    if (pair >= PARAM_DLG_TRACKBAR_FIRST && pair <= PARAM_DLG_HIDDEN_TRACKBAR) dialog.RepaintSwatchesNow();
    dialog.RedrawPreview();
}

// What the pair's edit text amounts to, within the trackbar's range.
struct EditValue {
    bool acceptable;
    int32_t value;  // in the pair's integer steps, clamped
    float shown;    // the clamped number as the edit would show it (decimal pairs)
};

EditValue ReadPairEdit(DialogSurface& dialog, int edit, int decimals, int32_t minimum, int32_t maximum) {
    if (decimals == 0) {
        const EditReading r = ReadEditInteger(dialog, edit, minimum, maximum);
        return {r.acceptable, r.value, float(r.value)};
    }
    const DecimalReading r =
        ReadEditDecimal(dialog, edit, ScaledDown(minimum, decimals), ScaledDown(maximum, decimals));
    return {r.acceptable, NearestScaled(r.value, decimals), r.value};
}

}  // namespace

int BindValuePairs(DialogSurface& dialog, int count, int firstTrackbar, int firstEdit, int decimals) {
    int code = kOk;
    for (int k = 0; k < count; ++k) {
        const int trackbar = firstTrackbar + k, edit = firstEdit + k;
        if (!dialog.HasControl(trackbar)) {
            code = kNilHandle;
            continue;
        }
        dialog.StoreBinding(trackbar, MakeValueBinding(decimals, k, edit));
        dialog.SetTrackbarRange(trackbar, 0, TrackbarMaximumFor(trackbar));
        SyncPairFromParameter(dialog, trackbar);
    }
    if (count > 0) dialog.SelectAllAndFocus(firstEdit);
    valuePairRun = ValuePairRun{firstEdit, firstTrackbar, count};
    return code;
}

int SyncPairFromParameter(DialogSurface& dialog, int trackbar) {
    ValueBinding binding;
    if (!dialog.ReadBinding(trackbar, &binding)) return kNilHandle;
    const int32_t value = GetParameterComponent(SelectedColour(), BindingIndex(binding));
    WriteTrackbarValue(dialog, trackbar, value);
    ShowValueInEdit(dialog, BindingEditId(binding), value, BindingDecimals(binding));
    return kOk;
}

void RefreshValuePairs(DialogSurface& dialog) {
    for (int k = 0; k < valuePairRun.count; ++k) SyncPairFromParameter(dialog, valuePairRun.firstTrackbar + k);
}

int OnTrackbarScroll(DialogSurface& dialog, int code, int trackbar) {
    ValueBinding binding;
    if (trackbar == 0 || !dialog.ReadBinding(trackbar, &binding)) return kOk;
    if (code == kEndTrack) {
        // Every movement has been taken as it happened; the end of a track
        // only catches a position that the value does not hold yet.
        const int32_t held = GetParameterComponent(SelectedColour(), BindingIndex(binding));
        if (ReadTrackbarValue(dialog, trackbar) != held) TakeTrackbarValue(dialog, trackbar, binding);
        return kOk;
    }
    // A drag (thumb track and position), and equally the arrow and page
    // keys, clicks in the channel, Home and End (line, page, top, bottom):
    // every movement updates the value, the edit, the swatches and the preview.
    if ((code >= 0 && code <= 3) || code == kThumbPosition || code == kThumbTrack || code == 6 || code == 7)
        TakeTrackbarValue(dialog, trackbar, binding);
    return kOk;
}

int OnValueEdited(DialogSurface& dialog, int trackbar) {
    ValueBinding binding;
    if (!dialog.ReadBinding(trackbar, &binding)) return kNilHandle;
    const int32_t minimum = dialog.TrackbarMinimum(trackbar), maximum = dialog.TrackbarMaximum(trackbar);
    const int32_t current = ReadTrackbarValue(dialog, trackbar);
    const int32_t value =
        ReadPairEdit(dialog, BindingEditId(binding), BindingDecimals(binding), minimum, maximum).value;
    // The text stays as typed, even out of range or with stray characters:
    // only the value and the trackbar follow it.
    if (value == current) return kOk;
    SetParameterComponent(SelectedColour(), BindingIndex(binding), value);
    WriteTrackbarValue(dialog, trackbar, value);
    dialog.InvalidateSwatches();
    RefreshPreviewArea(dialog);
    return kOk;
}

int ValidateValueEdits(DialogSurface& dialog) {
    for (int k = 0; k < valuePairRun.count; ++k) {
        const int trackbar = valuePairRun.firstTrackbar + k;
        ValueBinding binding;
        if (!dialog.ReadBinding(trackbar, &binding)) return kNilHandle;
        const int edit = BindingEditId(binding), decimals = BindingDecimals(binding);
        const EditValue read =
            ReadPairEdit(dialog, edit, decimals, dialog.TrackbarMinimum(trackbar), dialog.TrackbarMaximum(trackbar));
        if (!read.acceptable) {
            // The edit now offers the nearest acceptable value, so the next OK passes it.
            if (decimals == 0)
                SetEditIntegerIfChanged(dialog, edit, read.value);
            else
                SetEditDecimalIfChanged(dialog, edit, read.shown, decimals);
            return edit;
        }
        SetParameterComponent(SelectedColour(), BindingIndex(binding), read.value);
    }
    return kOk;
}

int32_t ReadTrackbarValue(DialogSurface& dialog, int trackbar) { return dialog.TrackbarPosition(trackbar); }

void WriteTrackbarValue(DialogSurface& dialog, int trackbar, int32_t value) {
    dialog.SetTrackbarPosition(trackbar, int16_t(value));
}

int SetEditIntegerIfChanged(DialogSurface& dialog, int id, int32_t value) {
    int32_t shown = 0;
    if (dialog.ReadInteger(id, &shown) && shown == value) return 0;
    unsigned char text[256];
    FormatInteger(value, text);
    dialog.ReplaceText(id, text);
    return 1;
}

int SetEditDecimalIfChanged(DialogSurface& dialog, int id, float value, int decimals) {
    unsigned char wanted[256], shown[256];
    FormatDecimal(value, decimals, wanted);
    dialog.ReadText(id, kEditCompareChars, shown);
    if (shown[0] == wanted[0] && std::memcmp(shown + 1, wanted + 1, wanted[0]) == 0) return 0;
    dialog.ReplaceText(id, wanted);
    return 1;
}

EditReading ReadEditInteger(DialogSurface& dialog, int id, int32_t minimum, int32_t maximum) {
    int32_t n = 0;
    const bool converted = dialog.ReadInteger(id, &n);
    return ClampEditInteger(converted, n, minimum, maximum);
}

DecimalReading ReadEditDecimal(DialogSurface& dialog, int id, float minimum, float maximum) {
    unsigned char text[256];
    dialog.ReadText(id, kEditReadChars, text);
    return ClampEditDecimal(text, minimum, maximum);
}

}  // namespace tavirel
