#include "PreviewPipeline.h"

#include <initializer_list>

#include "../engine/TransformBlock.h"
#include "../engine/TransformTables.h"
#include "../filter/TileWalk.h"
#include "../host/DocumentRects.h"
#include "../host/HandleSuite.h"
#include "../util/ResultCodes.h"
#include "PreviewFetch.h"
#include "PreviewGeometry.h"

namespace tavirel {
namespace {

constexpr int32_t kDisplaySide = 256;  // a tile is at most 256 x 256 display pixels

// The host's busy cursor would replace ours while the preview asks for pixels.
void SetWatchSuspension(const FilterRecord* record, intptr_t value) {
    const PropertyProcs* procs = record->propertyProcs;
    if (procs != nullptr && procs->setPropertyProc != nullptr)
        procs->setPropertyProc(record->hostSig, propWatchSuspension, 0, value, nullptr);
}

void PrepareRequests(FilterRecord* record) {
    record->inLoPlane = record->outLoPlane = 0;
    record->inHiPlane = record->outHiPlane = int16(record->planes - 1);
    record->inputPadding = record->outputPadding = plugInWantsEdgeReplication;
    if (record->haveMask) {
        SetMaskRect(record, VRect{0, 0, 0, 0});  // the preview never asks for the mask
        record->maskRate = record->inputRate;
        record->maskPadding = plugInWantsEdgeReplication;
    }
}

// Points the pixel map at the tile's display bytes: the host's own 8-bit
// buffer at zoom 1, otherwise displayBuffer filled from it.
void PreparePixelMap(const FilterRecord* record, const void* source, int32_t sourceRowBytes, const Rect& tile,
                     const Replication& replication) {
    PreviewState& p = previewState;
    PSPixelMap& map = p.pixelMap;
    const int planes = record->planes;
    const int32_t width = tile.right - tile.left, height = tile.bottom - tile.top;
    auto* buffer = static_cast<uint8_t*>(p.displayBuffer);
    // The bounds describe the pixels handed over, whichever buffer holds them.
    map.bounds = VRect{0, 0, height, width};
    const int32_t bufferRowBytes = planes * kDisplaySide;
    if (record->depth == 16) {
        if (p.zoomIn == 1)
            ReduceTile16(static_cast<const uint16_t*>(source), sourceRowBytes, buffer, bufferRowBytes, planes, width,
                         height);
        else
            ExpandTile16(static_cast<const uint16_t*>(source), sourceRowBytes, buffer, bufferRowBytes, replication,
                         planes, width, height);
        return;
    }
    if (p.zoomIn == 1) {
        map.rowBytes = sourceRowBytes;
        map.baseAddr = const_cast<void*>(source);
        return;
    }
    map.rowBytes = bufferRowBytes;
    map.baseAddr = buffer;
    ExpandTile8(static_cast<const uint8_t*>(source), sourceRowBytes, buffer, bufferRowBytes, replication, planes, width,
                height);
}

}  // namespace

int32_t DisplayImageMode(int32_t imageMode) {
    switch (imageMode) {
        case plugInModeGray16: return plugInModeGrayScale;
        case plugInModeRGB48: return plugInModeRGBColor;
        case plugInModeLab48: return plugInModeLabColor;
        case plugInModeCMYK64: return plugInModeCMYKColor;
        default: return imageMode;
    }
}

VRect TileSourceRect(const Rect& tile, int32_t imageLeft, int32_t imageTop, uint32_t zoomIn) {
    // The tile lies on the image, so every offset is at least 0 and the
    // divisions truncate; the far edges round up to take in a source pixel
    // that the tile shows only partly.
    const int32_t top = tile.top - imageTop, left = tile.left - imageLeft;
    const int32_t bottom = tile.bottom - imageTop, right = tile.right - imageLeft;
    if (zoomIn <= 1) return VRect{top, left, bottom, right};
    const int32_t z = int32_t(zoomIn);
    return VRect{top / z, left / z, (bottom + z - 1) / z, (right + z - 1) / z};
}

Replication TileReplication(const Rect& tile, const VRect& source, int32_t imageLeft, int32_t imageTop,
                            uint32_t zoomIn) {
    const int32_t z = int32_t(zoomIn);
    return Replication{zoomIn, z - ((tile.left - imageLeft) - z * source.left),
                       z - ((tile.top - imageTop) - z * source.top)};
}

int PreviewStart(FilterRecord* record, const Rect& view) {
    PreviewState& p = previewState;
    p.sampleRadius = 1;
    p.displayBuffer = p.filterBuffer = p.gatherBuffer = nullptr;
    p.zoomIn = 1;
    p.showEffect = 1;
    p.zoomOut = 1;
    p.imagePresent = 0;

    int code = kOk;
    if (record->advanceState == nullptr) {
        code = kMsgNoAdvanceState;
    } else if (record->displayPixels == nullptr) {
        code = kMsgNoDisplayPixels;
    } else if (record->planes > 0) {
        p.displayBuffer = NewLockedBlock(record, int32_t(record->planes) * 65536);
        p.filterBuffer = NewLockedBlock(record, FetchBufferBytes(record));
        p.gatherBuffer = NewLockedBlock(record, FetchBufferBytes(record));
    }
    if (code == kOk && (p.displayBuffer == nullptr || p.filterBuffer == nullptr || p.gatherBuffer == nullptr))
        code = kNoAddress;
    if (code != kOk) {
        PreviewStop(record);
        return code;
    }

    PSPixelMap& map = p.pixelMap;
    map = PSPixelMap{};
    map.version = 1;
    map.bounds = VRect{0, 0, kDisplaySide, kDisplaySide};
    map.imageMode = DisplayImageMode(record->imageMode);
    map.rowBytes = record->planes * kDisplaySide;
    map.colBytes = record->planes;
    map.planeBytes = 1;
    map.baseAddr = p.displayBuffer;

    LayoutPreview(record, view);
    PrepareRequests(record);
    SetWatchSuspension(record, 1);
    BuildTransformTables();
    return kOk;
}

void PreviewStop(FilterRecord* record) {
    PreviewState& p = previewState;
    SetWatchSuspension(record, 0);
    for (void** block : {&p.displayBuffer, &p.filterBuffer, &p.gatherBuffer}) {
        if (*block != nullptr) FreeLockedBlock(record, *block);
        *block = nullptr;
    }
    p.imagePresent = 0;
}

void SetPreviewShowsEffect(int32_t flag) { previewState.showEffect = flag; }

int PreviewDrawTile(FilterRecord* record, const Rect& tile) {
    PreviewState& p = previewState;
    if (p.displayBuffer == nullptr || record->advanceState == nullptr || record->displayPixels == nullptr)
        return kParamErr;
    const int32_t imageLeft = p.imageRect.left, imageTop = p.imageRect.top;
    const VRect source = TileSourceRect(tile, imageLeft, imageTop, p.zoomIn);

    FetchedPixels pixels;
    if (const int delivered = FetchReduced(record, source, p.zoomOut, p.gatherBuffer, &pixels)) return delivered;
    if (p.showEffect == 1) {
        // Filtered into the preview's own buffer, inside the filter rectangle
        // only: what OK will leave in the document.
        const int32_t rowBytes = (source.right - source.left) * record->planes * (record->depth == 16 ? 2 : 1);
        FilterWithinSelection(record, pixels, source, p.zoomOut, p.filterBuffer, rowBytes);
        pixels = FetchedPixels{p.filterBuffer, rowBytes};
    }
    PreparePixelMap(record, pixels.data, pixels.rowBytes, tile,
                    TileReplication(tile, source, imageLeft, imageTop, p.zoomIn));

    const VRect shown{0, 0, tile.bottom - tile.top, tile.right - tile.left};
    return record->displayPixels(&p.pixelMap, &shown, tile.top, tile.left, record->platformData);
}

void PreviewDrawTiles(FilterRecord* record, const Rect& area) {
    Rect tile{0, 0, 0, 0};
    while (NextTile(&tile, area)) PreviewDrawTile(record, tile);
}

void PreviewDraw(FilterRecord* record) {
    BuildTransformTables();
    Rect visible;
    if (IsEmpty(VisibleRect()) || VisibleHostRect(&visible) != kOk) return;
    PreviewDrawTiles(record, visible);
}

}  // namespace tavirel
