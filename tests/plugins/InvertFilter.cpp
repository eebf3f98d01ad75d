// A filter plug-in of the tests' own, not Tavirel: it inverts the colour
// planes of RGB and RGB48 documents in strips of 16 rows, leaving any alpha
// plane alone. It is written as careful third-party filters are: it finds
// every sample through the record's own description of the tiles (row bytes,
// inColumnBytes / outColumnBytes from one pixel to the next, inPlaneBytes /
// outPlaneBytes from one plane to the next), and it refuses to run in a host
// that leaves those unset or gives them wrong, as such filters do.
#include <cstdint>
#include <cstring>

#include "hostapi/HostInterface.h"

namespace {

constexpr int kStripRows = 16;
constexpr int16 kColourPlanes = 3;
constexpr int16 kHostInsufficient = -30900;  // errPlugInHostInsufficient

int SampleBytes(const FilterRecord& r) { return r.depth == 16 ? 2 : 1; }

// Whether the steps match the tiles as delivered: samples of SampleBytes,
// the requested planes interleaved.
bool StepsDescribeTheTiles(const FilterRecord& r) {
    const int bytes = SampleBytes(r);
    return r.inPlaneBytes == bytes && r.outPlaneBytes == bytes &&
           r.inColumnBytes == (r.inHiPlane - r.inLoPlane + 1) * bytes &&
           r.outColumnBytes == (r.outHiPlane - r.outLoPlane + 1) * bytes;
}

// Asks for the strip starting at row `top` of the selection, colour planes
// only; for nothing once past its end.
void RequestStrip(FilterRecord& r, int top) {
    const Rect& f = r.filterRect;
    r.maskRect = Rect{0, 0, 0, 0};
    if (top >= f.bottom) {
        r.inRect = r.outRect = Rect{0, 0, 0, 0};
        return;
    }
    const int bottom = top + kStripRows < f.bottom ? top + kStripRows : f.bottom;
    r.inRect = r.outRect = Rect{int16(top), f.left, int16(bottom), f.right};
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = kColourPlanes - 1;
}

int16 Start(FilterRecord& r) {
    if ((r.imageMode != plugInModeRGBColor && r.imageMode != plugInModeRGB48) || r.planes < kColourPlanes)
        return filterBadMode;
    // A 16-bit filter checks this before it asks for anything.
    if (r.inPlaneBytes != SampleBytes(r) || r.outPlaneBytes != SampleBytes(r)) return kHostInsufficient;
    RequestStrip(r, r.filterRect.top);
    return noErr;
}

// 8-bit samples run 0..255, 16-bit ones 0..32768 (the host's scale).
int16 InvertStrip(FilterRecord& r) {
    if (!StepsDescribeTheTiles(r)) return kHostInsufficient;
    if (r.inData == nullptr || r.outData == nullptr) return paramErr;
    const int rows = r.outRect.bottom - r.outRect.top, columns = r.outRect.right - r.outRect.left;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            for (int p = 0; p < kColourPlanes; ++p) {
                const auto* in = static_cast<const uint8_t*>(r.inData) + intptr_t(y) * r.inRowBytes +
                                 intptr_t(x) * r.inColumnBytes + p * r.inPlaneBytes;
                auto* out = static_cast<uint8_t*>(r.outData) + intptr_t(y) * r.outRowBytes +
                            intptr_t(x) * r.outColumnBytes + p * r.outPlaneBytes;
                if (SampleBytes(r) == 2) {
                    uint16_t v;
                    std::memcpy(&v, in, 2);
                    v = uint16_t(32768 - v);
                    std::memcpy(out, &v, 2);
                } else {
                    *out = uint8_t(255 - *in);
                }
            }
        }
    }
    if (r.progressProc != nullptr)
        r.progressProc(r.outRect.bottom - r.filterRect.top, r.filterRect.bottom - r.filterRect.top);
    RequestStrip(r, r.outRect.bottom);
    return noErr;
}

}  // namespace

extern "C" void HOST_CALLBACK InvertEntry(int16 selector, void* record, intptr_t* /*data*/, int16* result) {
    auto* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case filterSelectorAbout:
        case filterSelectorParameters:  // no settings, no dialog
        case filterSelectorFinish: *result = noErr; break;
        case filterSelectorPrepare:
            r->bufferSpace = 0;
            *result = noErr;
            break;
        case filterSelectorStart: *result = Start(*r); break;
        case filterSelectorContinue: *result = InvertStrip(*r); break;
        default: *result = filterBadParameters; break;
    }
}
