// Whether the operating system, the image and the host are acceptable.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The first failing test decides: NT 4.0 or older (1011), an image mode other
// than RGB or RGB48 (1303), fewer than three planes (1301), no advanceState
// (1202). A failure is shown with its message and returned; 0 means all passed.
int RunChecks(const FilterRecord* record);

// The same checks less the system's, for Start: a host may repeat a filter
// without calling Parameters, and a document the loop cannot read (one plane
// where three are read, no advanceState to deliver tiles) must be refused
// there too. Shown and returned as RunChecks does.
int RunDocumentChecks(const FilterRecord* record);

}  // namespace tavirel
