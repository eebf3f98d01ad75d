// Where the zoomed image lies in the preview window, and how zooming and
// dragging move it. The preview shows the document either reduced by zoomOut
// (the host delivers every zoomOut-th pixel) or magnified by zoomIn (each
// delivered pixel covers zoomIn x zoomIn display pixels), never both.
// Coordinates are the preview window's client pixels; its 1-pixel border is
// part of viewRect, which therefore starts at (-1, -1).
#pragma once
#include <cstdint>

#include "../../hostapi/HostInterface.h"
#include "../util/Rectangles.h"

namespace tavirel {

constexpr uint32_t kMaxZoomIn = 16;

struct PreviewState {
    uint32_t zoomOut = 1;     // >= 1; inputRate is zoomOut x 65536
    uint32_t zoomIn = 1;      // 1..16
    PreviewRect viewRect{};   // fixed for the life of the preview window
    PreviewRect imageRect{};  // the whole zoomed image
    int32_t showEffect = 1;
    int32_t sampleRadius = 1;
    // 1 from a successful layout until the preview stops. While it is 0 the
    // visible rectangle is empty, whatever imageRect an earlier preview left,
    // so nothing is drawn, sampled or zoomed.
    int32_t imagePresent = 0;
    void* displayBuffer = nullptr;  // planes x 65536 bytes from the host, or none
    // The filtered pixels of a tile or sample, and the pixels gathered from
    // full-resolution rows for a host that cannot sample: the preview's own
    // (FetchBufferBytes each, from the host), never the host's outData.
    void* filterBuffer = nullptr;
    void* gatherBuffer = nullptr;
    PSPixelMap pixelMap{};  // what displayPixels is handed
};

// The one preview of the process.
extern PreviewState previewState;

// imageRect within viewRect: the larger top and left, the smaller right and bottom.
PreviewRect VisibleRect();
int VisibleHostRect(Rect* destination);
// left <= x < right and top <= y < bottom of the visible rectangle.
bool IsInsideVisible(int32_t x, int32_t y);

// The smallest whole reduction at which the full image fits the view.
int32_t FitFactor(const FilterRecord* record);
// The image's size in display pixels at the current factors.
void ZoomedImageSize(const FilterRecord* record, int32_t* width, int32_t* height);
// Takes the view, opens at the fit zoom with the image centred; writes
// inputRate. The image is present from here on.
void LayoutPreview(FilterRecord* record, const Rect& view);
// -1 steps out, 0 fits, 1 steps in, 2..100 reduces to about that percentage,
// above 100 magnifies to about it. Keeps the image point at the view centre
// where the clamps allow; writes inputRate. 1 when something changed; 0 also
// when no image is present.
int SetPreviewZoom(FilterRecord* record, int32_t request);
// zoomIn x 100 / zoomOut, rounded half up.
uint32_t PreviewZoomPercent();
// Moves the image by (dx, dy) within the clamps: along an axis where it is
// larger than the view it always covers the view; otherwise it stays centred.
// 1 when the image moved.
int PanImage(int32_t dx, int32_t dy);

}  // namespace tavirel
