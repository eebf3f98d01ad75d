// What a colour swatch paints, from the outside in: two selection rings, a
// black frame, an unpainted ring and the colour itself, and over the colour
// the focus mark while the swatch has the keyboard focus.
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
    // The keyboard focus mark over the colour, one pixel inside it: a white
    // ring, then a black one, which show together on any colour.
    SwatchRect focus[2];
};

// The layout of a swatch of width x height pixels. A rectangle that would turn
// inside out on a tiny swatch is empty instead (right = left, bottom = top).
SwatchLayout LayOutSwatch(int32_t width, int32_t height);

// Whether a key (a Windows VK_ code) pressed on a focused swatch selects it,
// as a click does: Space and Enter.
constexpr bool SwatchKeySelects(unsigned virtualKey) { return virtualKey == 0x20 || virtualKey == 0x0D; }

struct SwatchColour {
    uint8_t red, green, blue;
};

// The colour a swatch fills with for colour 0 (Source) or 1 (Destination) of
// currentParameters: the high byte of each channel of SettingColourToRgb16.
SwatchColour SwatchFillColour(int colour);

}  // namespace tavirel
