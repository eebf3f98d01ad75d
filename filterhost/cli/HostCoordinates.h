// The host interface's coordinates are 16-bit and signed: image sizes and
// rectangles reach 32767 pixels. A larger --rect value would wrap on its way
// into the record, so it is refused before any plug-in call (the PNG reader
// refuses larger images).
#pragma once

#include <string>

#include "../../hostapi/HostInterface.h"

namespace filterhost {

constexpr int kMaxHostCoordinate = 32767;

// --rect LEFT,TOP,RIGHT,BOTTOM: four whole numbers from 0 to 32767, LEFT below
// RIGHT and TOP below BOTTOM. false with a message otherwise.
bool ParseRectArgument(const std::string& text, Rect* rect, std::string* error);

}  // namespace filterhost
