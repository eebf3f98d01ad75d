// The work of the filter selectors 1 to 5. Each returns the code that the
// entry point writes, truncated to 16 bits, as the host's result.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

int DoParameters(FilterRecord* record);
int DoPrepare(FilterRecord* record);
int DoStart(FilterRecord* record);
int DoContinue(FilterRecord* record);
int DoFinish(FilterRecord* record);

}  // namespace tavirel
