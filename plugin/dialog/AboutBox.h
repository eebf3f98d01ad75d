// The about box: one picture over the host window, closed by a click, Enter or Esc.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// Always 0, whatever the box did.
int ShowAboutBox(const AboutRecord* record);

}  // namespace tavirel
