// The 256 x 256 tile walk over a rectangle: tiles left to right within bands
// of at most 256 rows, bands top to bottom, in the host's 16-bit coordinates
// or the 32-bit ones of big documents.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

constexpr int16 kTileSize = 256;

bool IsEmptyRect(const Rect& r);
bool IsEmptyRect(const VRect& r);

// From an empty current rectangle gives the first tile; otherwise the tile
// after current. Returns false (current untouched) when the walk is over.
bool NextTile(Rect* current, const Rect& bounds);
bool NextTile(VRect* current, const VRect& bounds);

}  // namespace tavirel
