// Where the about box opens over its owner: horizontally centred on the
// owner's width and at a third of its height, measured from the owner's
// client origin.
#pragma once

#include <cstdint>

namespace tavirel {

constexpr int32_t kAboutBoxWidth = 427;  // the 425 x 250 picture and a 1-pixel border
constexpr int32_t kAboutBoxHeight = 252;

struct AboutOffset {
    int32_t x, y;
};

// The offset in the owner's client coordinates, from the owner's outer
// window size; both divisions truncate towards zero (so a narrow owner gives
// a negative x).
constexpr AboutOffset AboutBoxOffset(int32_t ownerWidth, int32_t ownerHeight) {
    return {(ownerWidth - kAboutBoxWidth) / 2, (ownerHeight - kAboutBoxHeight) / 3};
}

// The box's screen position: the offset from the owner's client origin.
constexpr AboutOffset AboutBoxPosition(int32_t ownerWidth, int32_t ownerHeight, int32_t clientX, int32_t clientY) {
    const AboutOffset offset = AboutBoxOffset(ownerWidth, ownerHeight);
    return {clientX + offset.x, clientY + offset.y};
}

static_assert(AboutBoxOffset(1024, 768).x == 298 && AboutBoxOffset(1024, 768).y == 172);
static_assert(AboutBoxOffset(424, 252).x == -1);

}  // namespace tavirel
