#include "SampleColour.h"

#include "../engine/TransformBlock.h"
#include "PreviewGeometry.h"

namespace tavirel {
namespace {

void MarkUnsampled(int32_t* input, int32_t* output, int count) {
    for (int k = 0; k < count; ++k) input[k] = output[k] = -1;
}

}  // namespace

int SampleColour(FilterRecord* record, Point point, int32_t* input, int32_t* output) {
    if (record == nullptr || input == nullptr || output == nullptr) return 0;
    const int count = BoundedSamplePlanes(record->planes);
    const PreviewState& p = previewState;
    if (!IsInsideVisible(point.h, point.v) || record->advanceState == nullptr) {
        MarkUnsampled(input, output, count);
        return 0;
    }

    const SampleSquare square = SampleSquareFor(p.sampleRadius, p.imageRect);
    const SamplePosition at =
        SamplePositionFor(point.h, point.v, p.imageRect, p.zoomIn, square, record->imageSize.h, record->imageSize.v);
    const Rect area{int16(at.y), int16(at.x), int16(at.y + square.size), int16(at.x + square.size)};
    record->inRect = area;
    // As for the tiles, the output buffer is scratch at the image origin.
    record->outRect = Rect{0, 0, int16(square.size), int16(square.size)};
    if (record->advanceState() != noErr) {
        // Nothing was delivered, so there is nothing to report.
        MarkUnsampled(input, output, count);
        return 0;
    }
    record->outRect = area;
    if (record->depth == 16)
        TransformBlock16(record);
    else
        TransformBlock8(record);

    for (int k = 0; k < count; ++k) {
        input[k] = int32_t(SquareMean(record->inData, record->inRowBytes, record->planes, k, square, record->depth));
        output[k] = int32_t(SquareMean(record->outData, record->outRowBytes, record->planes, k, square, record->depth));
        if (record->depth != 16) {
            input[k] = int32_t(HostScaleFrom8(uint32_t(input[k])));
            output[k] = int32_t(HostScaleFrom8(uint32_t(output[k])));
        }
    }
    InvertSampleEntries(input, count, record->imageMode);
    InvertSampleEntries(output, count, record->imageMode);
    return 1;
}

}  // namespace tavirel
