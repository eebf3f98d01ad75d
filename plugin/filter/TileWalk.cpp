#include "TileWalk.h"

namespace tavirel {
namespace {

// The sum is formed in int and compared before narrowing, so a band that ends
// near 32767 still stops at the bound.
int16 TileEnd(int16 start, int16 bound) {
    const int end = int(start) + kTileSize;
    return end < bound ? int16(end) : bound;
}

}  // namespace

bool IsEmptyRect(const Rect& r) { return r.top == r.bottom || r.left == r.right; }

bool NextTile(Rect* current, const Rect& bounds) {
    Rect next;
    if (IsEmptyRect(*current)) {
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

}  // namespace tavirel
