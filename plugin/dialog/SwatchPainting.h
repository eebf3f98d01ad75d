// What a colour swatch paints, from the outside in: two selection rings, a
// black frame, an unpainted ring and the colour itself.
#pragma once

#include <cstdint>

namespace tavirel {

// Client coordinates of the swatch; right and bottom exclusive.
struct SwatchRect {
    int32_t left, top, right, bottom;
};

struct SwatchLayout {
    SwatchRect rings[2];  // one-pixel selection rings, outer first
    SwatchRect frame;     // the one-pixel black frame
    SwatchRect fill;      // the colour, two pixels inside the frame
};

// The layout of a swatch of width x height pixels. A rectangle that would turn
// inside out on a tiny swatch is empty instead (right = left, bottom = top).
SwatchLayout LayOutSwatch(int32_t width, int32_t height);

struct SwatchColour {
    uint8_t red, green, blue;
};

// The colour a swatch fills with for colour 0 (Source) or 1 (Destination) of
// currentParameters: the high byte of each channel of SettingColourToRgb16.
SwatchColour SwatchFillColour(int colour);

}  // namespace tavirel
