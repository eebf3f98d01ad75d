// displayPixels as our host does it: a pixel map of interleaved 8-bit samples
// drawn into a device context at its own size, top row first, with no scaling
// and no colour management.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "../../hostapi/HostInterface.h"

namespace filterhost {

// The part `area` of `map` (in the map's own coordinates, inside its bounds)
// with its top left at (column, row) of `dc`. RGB (mode 3) as its first three
// samples; CMYK (4) as the light through each plate and black; every other mode shows its first sample
// as grey. `scratch` holds the converted rows between calls. paramErr for a
// null or ill-formed map, an area outside the bounds or no device context.
OSErr DrawPixelMap(const PSPixelMap* map, const VRect* area, int32 row, int32 column, HDC dc,
                   std::vector<uint32_t>& scratch);

// The bytes a pixel map shows for one pixel, as 0x00RRGGBB.
uint32_t DisplayColour(const uint8_t* pixel, int32 imageMode, int32 planeBytes);

}  // namespace filterhost
