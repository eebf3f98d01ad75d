// The pointer arithmetic of the preview window: when a press becomes a drag,
// and how far a drag asks the image to move.
#pragma once

#include <cstdint>

#include "../util/Rectangles.h"

namespace tavirel {

// A press becomes a drag once the pointer is more than 1 pixel away from the
// press point in x or in y; within that it stays a click however long it lasts.
constexpr bool IsDragDistance(int32_t pressX, int32_t pressY, int32_t x, int32_t y) {
    const int32_t dx = x - pressX, dy = y - pressY;
    return dx > 1 || dx < -1 || dy > 1 || dy < -1;
}
static_assert(!IsDragDistance(10, 10, 11, 9) && IsDragDistance(10, 10, 12, 10) && IsDragDistance(10, 10, 10, 8));

// The grabbed image point of a drag: where the press was, and where the image
// then lay. The point moves with the image, so asking the image to move by
// (cursor - grabbed point) keeps it under the pointer until a clamp holds the
// image, and takes it up again only once the pointer is back past the point.
struct PanGrip {
    int32_t pressX, pressY;
    int32_t imageLeft, imageTop;  // imageRect's top left at the press

    constexpr int32_t ShiftX(const PreviewRect& image, int32_t cursorX) const {
        return cursorX - (pressX + image.left - imageLeft);
    }
    constexpr int32_t ShiftY(const PreviewRect& image, int32_t cursorY) const {
        return cursorY - (pressY + image.top - imageTop);
    }
};

}  // namespace tavirel
