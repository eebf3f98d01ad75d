// The last step of Start: every tile of filterRect through the hue transform.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// Builds the tables once, then per 256 x 256 tile: advanceState delivers it,
// abortProc is polled, the rows are transformed, progress is reported in
// samples. Returns 0, advanceState's non-zero result, or 1 for a user abort.
// An empty filterRect runs no tile and returns 0. The request rectangles are
// empty on return in every outcome.
int RunFilterLoop(FilterRecord* record);

// Empties inRect, outRect and maskRect: the host then delivers nothing more.
void ClearRequests(FilterRecord* record);

}  // namespace tavirel
