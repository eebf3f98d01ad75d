#include "SampleColour.h"

#include "PreviewFetch.h"
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
    // Clamped to the image as the preview shows it: at a reduction, the
    // reduced image, whose every pixel the host delivers.
    const int32_t shownWidth = (p.imageRect.right - p.imageRect.left) / int32_t(p.zoomIn);
    const int32_t shownHeight = (p.imageRect.bottom - p.imageRect.top) / int32_t(p.zoomIn);
    const SamplePosition at =
        SamplePositionFor(point.h, point.v, p.imageRect, p.zoomIn, square, shownWidth, shownHeight);
    const VRect area{at.y, at.x, at.y + square.size, at.x + square.size};
    // As the tiles are: fetched with no output asked for, filtered into the
    // preview's own buffer where the filter rectangle takes the pixels.
    FetchedPixels in;
    if (p.filterBuffer == nullptr || FetchReduced(record, area, p.zoomOut, p.gatherBuffer, &in) != noErr) {
        // Nothing was delivered, so there is nothing to report.
        MarkUnsampled(input, output, count);
        return 0;
    }
    const int32_t outRowBytes = square.size * record->planes * (record->depth == 16 ? 2 : 1);
    FilterWithinSelection(record, in, area, p.zoomOut, p.filterBuffer, outRowBytes);

    for (int k = 0; k < count; ++k) {
        input[k] = int32_t(SquareMean(in.data, in.rowBytes, record->planes, k, square, record->depth));
        output[k] = int32_t(SquareMean(p.filterBuffer, outRowBytes, record->planes, k, square, record->depth));
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
