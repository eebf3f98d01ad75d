// The modal parameter dialog that Start shows before filtering.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// 0 when confirmed with OK, 1 when left with Cancel, or the system's error
// code when the dialog cannot be created.
int RunParameterDialog(FilterRecord* record);

}  // namespace tavirel
