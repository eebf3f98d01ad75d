// The colour under a point of the preview, before and after the filter, as the
// preview window reports it to the dialog.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../../hostapi/HostInterface.h"
#include "SampleArithmetic.h"

namespace tavirel {

// Notification codes in the high word of the WM_COMMAND that the preview
// sends its parent; the low word is the preview's id, 5.
constexpr uint16_t PVN_HOVER = 0x8001;  // lParam: a SampleRecord, or null off the image
constexpr uint16_t PVN_PICK = 0x8002;   // lParam: a SampleRecord

// What a notification points at: valid only during the synchronous send. The
// receiver may overwrite entries while it handles it.
struct SampleRecord {
    uint8_t reserved[8];                // never written by the sampler
    int32_t input[kMaxSampledPlanes];   // unfiltered plane k in entry k, 0..32768
    int32_t output[kMaxSampledPlanes];  // filtered plane k in entry k, 0..32768
};
static_assert(sizeof(SampleRecord) == 200);
static_assert(offsetof(SampleRecord, input) == 8 && offsetof(SampleRecord, output) == 104);

// Samples the square of image pixels around `point` (v = y, h = x in the
// preview window's client coordinates) and fills the first planes entries
// (at most 24) of both arrays, the output through the filter whatever the
// Preview check box says. 1 on success; 0 when an argument is null, the point
// is off the visible image (the entries are then -1) or the host could not
// deliver the square.
int SampleColour(FilterRecord* record, Point point, int32_t* input, int32_t* output);

}  // namespace tavirel
