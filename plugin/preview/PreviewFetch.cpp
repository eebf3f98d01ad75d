#include "PreviewFetch.h"

#include <algorithm>
#include <cstring>

#include "../engine/HueTransform.h"
#include "../host/DocumentRects.h"

namespace tavirel {
namespace {

int32_t SampleBytes(const FilterRecord* record) { return record->depth == 16 ? 2 : 1; }

// The first x >= 0 with rate x >= v: a ceiling division for v >= 0.
int32_t FirstAtOrAfter(int32_t v, uint32_t rate) {
    const int32_t n = int32_t(rate);
    return v <= 0 ? 0 : (v + n - 1) / n;
}

}  // namespace

int32_t FetchBufferBytes(const FilterRecord* record) {
    return int32_t(record->planes) * SampleBytes(record) * kFetchSide * kFetchSide;
}

void ReducedSpan(int32_t from, int32_t to, uint32_t rate, int32_t* first, int32_t* end) {
    *first = FirstAtOrAfter(from, rate);
    *end = std::max(*first, FirstAtOrAfter(to, rate));
}

int FetchReduced(FilterRecord* record, const VRect& source, uint32_t rate, void* gather, FetchedPixels* pixels) {
    SetOutRect(record, VRect{0, 0, 0, 0});
    if (rate <= 1 || record->samplingSupport != 0) {
        record->inputRate = Fixed(rate << 16);
        SetInRect(record, source);
        if (const OSErr delivered = record->advanceState()) return delivered;
        *pixels = FetchedPixels{record->inData, record->inRowBytes};
        return noErr;
    }
    // A host that cannot sample delivers whatever it is asked for at full
    // resolution: each reduced row is one document row, of which every
    // rate-th pixel is kept, the same pixels a sampling host gives.
    record->inputRate = Fixed(1 << 16);
    const int32_t n = int32_t(rate), width = source.right - source.left;
    const int32_t pixelBytes = int32_t(record->planes) * SampleBytes(record);
    const int32_t gatherRowBytes = width * pixelBytes;
    auto* to = static_cast<uint8_t*>(gather);
    for (int32_t y = source.top; y < source.bottom; ++y, to += gatherRowBytes) {
        SetInRect(record, VRect{n * y, n * source.left, n * y + 1, n * (source.right - 1) + 1});
        if (const OSErr delivered = record->advanceState()) {
            record->inputRate = Fixed(rate << 16);
            return delivered;
        }
        const auto* from = static_cast<const uint8_t*>(record->inData);
        for (int32_t x = 0; x < width; ++x) std::memcpy(to + x * pixelBytes, from + x * n * pixelBytes, pixelBytes);
    }
    record->inputRate = Fixed(rate << 16);
    *pixels = FetchedPixels{gather, gatherRowBytes};
    return noErr;
}

void FilterWithinSelection(const FilterRecord* record, const FetchedPixels& in, const VRect& source, uint32_t rate,
                           void* out, int32_t outRowBytes) {
    const int32_t width = source.right - source.left;
    if (width <= 0 || source.bottom <= source.top) return;
    const int planes = record->planes;
    const int32_t pixelBytes = planes * SampleBytes(record);
    const VRect f = DocumentFilterRect(record);
    int32_t top, bottom, left, right;
    ReducedSpan(f.top, f.bottom, rate, &top, &bottom);
    ReducedSpan(f.left, f.right, rate, &left, &right);
    // The filtered columns of this rectangle, relative to its left edge.
    const int32_t x0 = std::clamp(left - source.left, 0, width), x1 = std::clamp(right - source.left, x0, width);
    for (int32_t y = source.top; y < source.bottom; ++y) {
        const auto* from = static_cast<const uint8_t*>(in.data) + intptr_t(y - source.top) * in.rowBytes;
        auto* to = static_cast<uint8_t*>(out) + intptr_t(y - source.top) * outRowBytes;
        std::memcpy(to, from, size_t(width) * size_t(pixelBytes));
        if (y < top || y >= bottom || x0 == x1) continue;
        if (record->depth == 16)
            TransformRow16(reinterpret_cast<const uint16_t*>(from) + x0 * planes,
                           reinterpret_cast<uint16_t*>(to) + x0 * planes, planes, x1 - x0);
        else
            TransformRow8(from + x0 * planes, to + x0 * planes, planes, x1 - x0);
    }
}

}  // namespace tavirel
