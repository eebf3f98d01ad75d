// displayPixels as our host does it: a pixel map of interleaved 8-bit samples
// drawn into a device context at its own size, top row first, with no scaling
// and no colour management.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "../../hostapi/HostInterface.h"

namespace filterhost {

// The pixels of one displayPixels call as a top-down device-independent
// bitmap, ready for SetDIBitsToDevice. Kept between calls, so that a run of
// calls converts into the same memory.
struct DisplayImage {
    BITMAPINFO info{};
    std::vector<uint32_t> bits;
    int width = 0, height = 0;
};

// The part `area` of `map` (in the map's own coordinates, inside its bounds)
// as `image`. RGB (mode 3) as its first three samples; CMYK (4) as the light
// through each plate and black; every other mode shows its first sample as
// grey. paramErr for a null or ill-formed map or an area outside the bounds;
// an empty area gives an empty image.
OSErr ConvertPixelMap(const PSPixelMap* map, const VRect* area, DisplayImage& image);
// The image with its top left at (column, row) of `dc`, at its own size.
void DrawDisplayImage(const DisplayImage& image, int32 row, int32 column, HDC dc);

// Both: the part `area` of `map` with its top left at (column, row) of `dc`.
// `scratch` holds the converted pixels between calls. paramErr as
// ConvertPixelMap, and for no device context.
OSErr DrawPixelMap(const PSPixelMap* map, const VRect* area, int32 row, int32 column, HDC dc, DisplayImage& scratch);

// The bytes a pixel map shows for one pixel, as 0x00RRGGBB.
uint32_t DisplayColour(const uint8_t* pixel, int32 imageMode, int32 planeBytes);

}  // namespace filterhost
