// The zoom buttons' size and the minus and plus drawn over them, in the
// button's own client coordinates (0, 0, width, height); right and bottom are
// exclusive, and divisions truncate towards zero unless said otherwise.
#pragma once
#include "../util/Rectangles.h"

namespace tavirel {

// The side of the square zoom buttons in pixels, for buttons that the
// template's 10 x 10 units made `templateHeight` pixels high: 14 where that is
// 16 (MS Sans Serif 8 at 96 DPI), and in that proportion at any other DPI,
// rounded half up, so that the buttons grow with the dialog around them.
constexpr int32_t ZoomButtonSide(int32_t templateHeight) {
    return templateHeight <= 0 ? 14 : (templateHeight * 14 + 8) / 16;
}

// The bars' thickness: one pixel up to a 20-pixel button, then one more for
// each further 14 pixels, rounded to the nearest.
constexpr int32_t MarkThickness(int32_t side) { return side < 21 ? 1 : (side + 7) / 14; }

// A bar as thick as MarkThickness of the button's height, from left + 3/14 of
// the width to right - 4/14 of it (3 and 4 pixels on 14), centred on the
// middle row.
constexpr SystemRect MinusMark(const SystemRect& b) {
    const int32_t w = b.right - b.left, h = b.bottom - b.top, t = MarkThickness(h);
    const int32_t row = (b.top + b.bottom - t) / 2;
    return {b.left + w * 3 / 14, row, b.right - w * 4 / 14, row + t};
}

// The same bar upright, on the middle column.
constexpr SystemRect PlusMark(const SystemRect& b) {
    const int32_t w = b.right - b.left, h = b.bottom - b.top, t = MarkThickness(w);
    const int32_t column = (b.left + b.right - t) / 2;
    return {column, b.top + h * 3 / 14, column + t, b.bottom - h * 4 / 14};
}

// On the 14 x 14 buttons: the minus lights columns 3..9 of row 6, the plus rows 3..9 of column 6.
static_assert(ZoomButtonSide(16) == 14 && ZoomButtonSide(25) == 22 && ZoomButtonSide(32) == 28);
static_assert(MinusMark({0, 0, 14, 14}).left == 3 && MinusMark({0, 0, 14, 14}).right == 10 &&
              MinusMark({0, 0, 14, 14}).top == 6 && MinusMark({0, 0, 14, 14}).bottom == 7);
static_assert(PlusMark({0, 0, 14, 14}).left == 6 && PlusMark({0, 0, 14, 14}).right == 7 &&
              PlusMark({0, 0, 14, 14}).top == 3 && PlusMark({0, 0, 14, 14}).bottom == 10);

}  // namespace tavirel
