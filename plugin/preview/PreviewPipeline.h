// The preview's image path: the visible part of the document fetched tile by
// tile through advanceState at the preview's sampling rate, filtered when the
// Preview check box is on, turned into 8-bit display pixels (enlarged by
// replication when zoomed in) and drawn by the host's displayPixels into the
// device context that the caller has put into the record's platformData.
// No platform call here; the pan loop and the dialog's redraw live in
// PreviewPipelineWin.
#pragma once

#include <cstdint>

#include "../../hostapi/HostInterface.h"
#include "TileExpansion.h"

namespace tavirel {

// Starts the preview in the view (the window's outer rectangle in its client
// coordinates): fit zoom, image centred, Preview on, the watch cursor
// suspended, the tables built. 0; 1202 without advanceState, 1203 without
// displayPixels, -114 without a display buffer, each after PreviewStop, and
// then no image is present until a start succeeds.
int PreviewStart(FilterRecord* record, const Rect& view);
// Restores the watch cursor and gives the display buffer back.
void PreviewStop(FilterRecord* record);
// Rebuilds the tables from the current settings and draws every visible tile.
void PreviewDraw(FilterRecord* record);
// One tile in client coordinates (inside the visible rectangle): 0, or what
// advanceState or displayPixels returned.
int PreviewDrawTile(FilterRecord* record, const Rect& tile);
// Draws every tile of `area` (client coordinates) without rebuilding the
// tables; a tile that fails does not stop the others.
void PreviewDrawTiles(FilterRecord* record, const Rect& area);
// 1 shows the filtered image, 0 the unfiltered one, from the next draw on.
void SetPreviewShowsEffect(int32_t flag);

// The rectangle of the host's reduced image that covers tile T of the zoomed
// image placed at imageRect's top left (left, top), at magnification z.
VRect TileSourceRect(const Rect& tile, int32_t imageLeft, int32_t imageTop, uint32_t zoomIn);
// How many display columns and rows the tile's first source pixel still covers.
Replication TileReplication(const Rect& tile, const VRect& source, int32_t imageLeft, int32_t imageTop,
                            uint32_t zoomIn);
// The pixel map's image mode for a document mode: the 16-bit modes as their
// 8-bit counterparts (Gray16 -> 1, RGB48 -> 3, Lab48 -> 9, CMYK64 -> 4).
int32_t DisplayImageMode(int32_t imageMode);

}  // namespace tavirel
