// How the preview gets the pixels it shows and samples, whatever the host:
// a rectangle of the image reduced at the preview's rate, asked for with no
// output (a host that commits outData would otherwise write the preview's
// scratch into the document), gathered from full-resolution rows where the
// host cannot sample, and filtered only where the filter rectangle takes it.
// No platform call here.
#pragma once

#include <cstdint>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The preview's own scratch (from the host's handle suite, PreviewStart):
// enough for a rectangle of kFetchSide x kFetchSide pixels at the document's
// depth and planes. Rectangles asked for here are never larger.
constexpr int32_t kFetchSide = 256;
int32_t FetchBufferBytes(const FilterRecord* record);

struct FetchedPixels {
    const void* data = nullptr;
    int32_t rowBytes = 0;
};

// The reduced image's rectangle `source` (pixel (x, y) of the image reduced
// at `rate` is pixel (rate x, rate y) of the document) into *pixels: the
// host's inData where it samples (samplingSupport not 0) or rate is 1, else
// every rate-th pixel of full-resolution rows, one row asked for at a time,
// gathered into `gather`. The host is asked for no output (outRect empty).
// 0, or what advanceState returned.
int FetchReduced(FilterRecord* record, const VRect& source, uint32_t rate, void* gather, FetchedPixels* pixels);

// The fetched pixels of `source` into `out` (out rows of outRowBytes):
// filtered where the document pixel lies inside the filter rectangle, as
// they are elsewhere, as OK will leave them. The tables must be built.
void FilterWithinSelection(const FilterRecord* record, const FetchedPixels& in, const VRect& source, uint32_t rate,
                           void* out, int32_t outRowBytes);

// The reduced columns (or rows) x with rate x in [from, to): [*first, *end).
void ReducedSpan(int32_t from, int32_t to, uint32_t rate, int32_t* first, int32_t* end);

}  // namespace tavirel
