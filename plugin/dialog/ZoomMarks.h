// The minus and plus drawn over the zoom buttons, in the button's own client
// coordinates (0, 0, width, height); right and bottom are exclusive, and
// halving truncates towards zero.
#pragma once
#include "../util/Rectangles.h"

namespace tavirel {

// A one-pixel-high bar from left + 3 to right - 4, on the middle row.
constexpr SystemRect MinusMark(const SystemRect& b) {
    const int32_t row = (b.top + b.bottom - 1) / 2;
    return {b.left + 3, row, b.right - 4, row + 1};
}

// A one-pixel-wide bar from top + 3 to bottom - 4, on the middle column.
constexpr SystemRect PlusMark(const SystemRect& b) {
    const int32_t column = (b.left + b.right - 1) / 2;
    return {column, b.top + 3, column + 1, b.bottom - 4};
}

// On the 14 x 14 buttons: the minus lights columns 3..9 of row 6, the plus rows 3..9 of column 6.
static_assert(MinusMark({0, 0, 14, 14}).left == 3 && MinusMark({0, 0, 14, 14}).right == 10 &&
              MinusMark({0, 0, 14, 14}).top == 6 && MinusMark({0, 0, 14, 14}).bottom == 7);
static_assert(PlusMark({0, 0, 14, 14}).left == 6 && PlusMark({0, 0, 14, 14}).top == 3 &&
              PlusMark({0, 0, 14, 14}).bottom == 10);

}  // namespace tavirel
