#include "SwatchPainting.h"

#include "../engine/ColourConversions.h"

namespace tavirel {
namespace {

SwatchRect Shrunk(SwatchRect r, int32_t by) {
    r.left += by, r.top += by, r.right -= by, r.bottom -= by;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

}  // namespace

SwatchLayout LayOutSwatch(int32_t width, int32_t height) {
    SwatchLayout layout;
    layout.rings[0] = Shrunk(SwatchRect{0, 0, width, height}, 0);
    layout.rings[1] = Shrunk(layout.rings[0], 1);
    layout.frame = Shrunk(layout.rings[1], 1);
    // The ring just inside the frame stays unpainted, so the dialog's own
    // background separates the frame from the colour.
    layout.fill = Shrunk(layout.frame, 2);
    layout.focus[0] = Shrunk(layout.fill, 1);
    layout.focus[1] = Shrunk(layout.focus[0], 1);
    return layout;
}

SwatchColour SwatchFillColour(int colour) {
    const Rgb16 rgb = SettingColourToRgb16(colour);
    return {uint8_t(rgb.red >> 8), uint8_t(rgb.green >> 8), uint8_t(rgb.blue >> 8)};
}

}  // namespace tavirel
