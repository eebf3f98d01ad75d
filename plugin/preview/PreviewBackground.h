// The grey around the image: four strips, each the whole window rectangle
// (its outer size placed at 0, 0) with one side moved onto the visible
// image's edge. They overlap at the corners. The view starts at (-1, -1)
// while these start at (0, 0), so a strip on a side where the image reaches
// the view's edge is empty or lies under the border, and shows nothing.
#pragma once

#include <array>

#include "../util/Rectangles.h"

namespace tavirel {

constexpr std::array<SystemRect, 4> BackgroundStrips(int32_t windowWidth, int32_t windowHeight, const Rect& visible) {
    const SystemRect whole{0, 0, windowWidth, windowHeight};
    SystemRect above = whole, below = whole, left = whole, right = whole;
    above.bottom = visible.top;
    below.top = visible.bottom;
    left.right = visible.left;
    right.left = visible.right;
    return {above, below, left, right};
}

// A 330 x 244 window with an image of 330 x 100 at rows 71..170 of the view:
// grey above and below, nothing at the sides.
static_assert(BackgroundStrips(330, 244, Rect{71, -1, 171, 329})[0].bottom == 71);
static_assert(BackgroundStrips(330, 244, Rect{71, -1, 171, 329})[1].top == 171);
static_assert(BackgroundStrips(330, 244, Rect{71, -1, 171, 329})[2].right == -1);
static_assert(BackgroundStrips(330, 244, Rect{71, -1, 171, 329})[3].left == 329);

}  // namespace tavirel
