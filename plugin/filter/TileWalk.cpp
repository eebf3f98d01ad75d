#include "TileWalk.h"

#include <cstdint>

namespace tavirel {
namespace {

// The sum is formed in a wider type and compared before narrowing, so a band
// that ends near the coordinate's largest value still stops at the bound.
template <typename Coordinate>
Coordinate TileEnd(Coordinate start, Coordinate bound) {
    const int64_t end = int64_t(start) + kTileSize;
    return end < bound ? Coordinate(end) : bound;
}

template <typename R>
bool IsEmpty(const R& r) {
    return r.top == r.bottom || r.left == r.right;
}

template <typename R>
bool NextTileOf(R* current, const R& bounds) {
    R next;
    if (IsEmpty(*current)) {
        next.top = bounds.top;
        next.left = bounds.left;
        next.bottom = TileEnd(bounds.top, bounds.bottom);
        next.right = TileEnd(bounds.left, bounds.right);
    } else if (current->right < bounds.right) {
        next.top = current->top;
        next.bottom = current->bottom;
        next.left = current->right;
        next.right = TileEnd(current->right, bounds.right);
    } else if (current->bottom >= bounds.bottom) {
        return false;
    } else {
        next.top = current->bottom;
        next.bottom = TileEnd(current->bottom, bounds.bottom);
        next.left = bounds.left;
        next.right = TileEnd(bounds.left, bounds.right);
    }
    *current = next;
    return true;
}

}  // namespace

bool IsEmptyRect(const Rect& r) { return IsEmpty(r); }
bool IsEmptyRect(const VRect& r) { return IsEmpty(r); }

bool NextTile(Rect* current, const Rect& bounds) { return NextTileOf(current, bounds); }
bool NextTile(VRect* current, const VRect& bounds) { return NextTileOf(current, bounds); }

}  // namespace tavirel
