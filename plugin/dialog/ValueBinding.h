// How a value pair (a trackbar and its edit) is tied to its value: a 32-bit
// word kept in the trackbar's user data, and the run of consecutive ids that
// all pairs of the dialog form.
#pragma once

#include <cstdint>

#include "ParameterDialogIds.h"

namespace tavirel {

// Bits 24..31: decimals shown in the edit; bits 16..23: the parameter index
// (the pair's position in the run); bits 0..15: the partner edit's id. A
// 32-bit word on every build, so it means the same in 32- and 64-bit user data.
using ValueBinding = uint32_t;

constexpr ValueBinding MakeValueBinding(int decimals, int index, int editId) {
    return (uint32_t(decimals & 0xFF) << 24) + (uint32_t(index & 0xFF) << 16) + uint32_t(editId & 0xFFFF);
}
constexpr int BindingDecimals(ValueBinding b) { return int(b >> 24); }
constexpr int BindingIndex(ValueBinding b) { return int((b >> 16) & 0xFF); }
constexpr int BindingEditId(ValueBinding b) { return int(b & 0xFFFF); }

static_assert(MakeValueBinding(1, 4, 205) == 0x010400CDu);
static_assert(BindingDecimals(0x010400CDu) == 1 && BindingIndex(0x010400CDu) == 4 && BindingEditId(0x010400CDu) == 205);

// Trackbar k and edit k (k = 0..count - 1) form pair k. Written when the
// pairs are bound; a count of 0 means none are bound yet.
struct ValuePairRun {
    int32_t firstEdit = 0;
    int32_t firstTrackbar = 0;
    int32_t count = 0;
};

constexpr bool IsValueEdit(const ValuePairRun& run, int id) {
    return id >= run.firstEdit && id <= run.firstEdit + run.count - 1;
}
constexpr int TrackbarOfEdit(const ValuePairRun& run, int editId) { return editId - run.firstEdit + run.firstTrackbar; }

// The hue trackbar runs over 0..3600 tenths of a degree, every other one over
// 0..1000 tenths of a percent.
constexpr int32_t TrackbarMaximumFor(int trackbarId) { return trackbarId == PARAM_DLG_TRACKBAR_FIRST ? 3600 : 1000; }

// 10^d for the decimals a pair can show (0..3), in single precision, as the
// edits are read and written.
constexpr float kDecimalScale[4] = {1.0f, 10.0f, 100.0f, 1000.0f};
constexpr int ClampedDecimals(int d) { return d < 0 ? 0 : (d > 3 ? 3 : d); }

}  // namespace tavirel
