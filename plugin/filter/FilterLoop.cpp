#include "FilterLoop.h"

#include "../engine/TransformBlock.h"
#include "../engine/TransformTables.h"
#include "../host/DocumentRects.h"
#include "../util/ResultCodes.h"
#include "ProgressCount.h"
#include "TileWalk.h"

namespace tavirel {

void ClearRequests(FilterRecord* record) {
    const VRect none{0, 0, 0, 0};
    SetInRect(record, none);
    SetOutRect(record, none);
    SetMaskRect(record, none);
}

int RunFilterLoop(FilterRecord* record) {
    const VRect bounds = DocumentFilterRect(record);
    const int32 width = bounds.right - bounds.left;
    const int32 height = bounds.bottom - bounds.top;
    ProgressCount progress(int64_t(height) * width * record->planes);

    ClearRequests(record);
    record->inLoPlane = record->outLoPlane = 0;
    record->inHiPlane = record->outHiPlane = int16(record->planes - 1);
    record->inputPadding = record->outputPadding = plugInWantsEdgeReplication;
    if (record->haveMask) record->maskPadding = plugInWantsEdgeReplication;
    record->inputRate = record->maskRate = kFixedOne;

    int code = BuildTransformTables();
    if (width <= 0 || height <= 0) return code;

    const bool sixteenBit = record->depth == 16;
    VRect tile{0, 0, 0, 0};
    while (code == kOk && NextTile(&tile, bounds)) {
        SetOutRect(record, tile);
        SetInRect(record, tile);
        code = record->advanceState();
        if (code != kOk) break;
        code = record->abortProc != nullptr ? record->abortProc() : 0;
        if (code != kOk) break;
        if (sixteenBit)
            TransformBlock16(record);
        else
            TransformBlock8(record);
        progress.Add(int64_t(tile.bottom - tile.top) * (tile.right - tile.left) *
                     (record->outHiPlane - record->outLoPlane + 1));
        if (record->progressProc != nullptr) record->progressProc(progress.done(), progress.total());
    }
    ClearRequests(record);
    return code;
}

}  // namespace tavirel
