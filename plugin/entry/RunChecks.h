// Whether the operating system, the image and the host are acceptable.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The first failing test decides: NT 4.0 or older (1011), an image mode other
// than RGB or RGB48 (1303), fewer than three planes (1301), no advanceState
// (1202). A failure is shown with its message and returned; 0 means all passed.
int RunChecks(const FilterRecord* record);

}  // namespace tavirel
