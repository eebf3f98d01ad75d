#include "PreviewGeometry.h"

#include <algorithm>

#include "../host/DocumentRects.h"

namespace tavirel {

PreviewState previewState;

namespace {

// A ceiling division for the positive sizes of the fit.
int32_t CeilDivide(int32_t n, int32_t d) { return (n + d - 1) / d; }

// One axis of the zoomed size: n image pixels at the current factors. At a
// reduction by k, floor(n / k) pixels: every host delivers those, whether it
// rounds its reduced image up or down, and none of them is padding.
int32_t ZoomedLength(int32_t n) {
    const PreviewState& p = previewState;
    if (p.zoomOut >= 2) return n / int32_t(p.zoomOut);
    return n * int32_t(p.zoomIn);
}

// The start of `length` pixels centred between a and b; an arithmetic shift,
// so something larger than the space starts before a.
int32_t Centred(int32_t a, int32_t b, int32_t length) { return a + ((b - a - length) >> 1); }

// One axis of a pan: the new start of an image of size n starting at s.
int32_t PannedStart(int32_t s, int32_t n, int32_t a, int32_t b, int32_t d) {
    if (n > b - a) {
        int32_t p = s + d;
        if (p > a)
            p = a;
        else if (p + n < b)
            p = b - n;
        return p;
    }
    return Centred(a, b, n);
}

void PlaceImageAtOrigin(const FilterRecord* record) {
    int32_t width, height;
    ZoomedImageSize(record, &width, &height);
    previewState.imageRect = PreviewRect{0, 0, width, height};
}

}  // namespace

PreviewRect VisibleRect() {
    if (previewState.imagePresent == 0) return PreviewRect{0, 0, 0, 0};
    const PreviewRect& i = previewState.imageRect;
    const PreviewRect& v = previewState.viewRect;
    return PreviewRect{std::max(i.top, v.top), std::max(i.left, v.left), std::min(i.right, v.right),
                       std::min(i.bottom, v.bottom)};
}

int VisibleHostRect(Rect* destination) {
    const PreviewRect visible = VisibleRect();
    return HostRectFromPreviewRect(&visible, destination);
}

bool IsInsideVisible(int32_t x, int32_t y) {
    const PreviewRect v = VisibleRect();
    return v.left <= x && x < v.right && v.top <= y && y < v.bottom;
}

int32_t FitFactor(const FilterRecord* record) {
    const PreviewRect& v = previewState.viewRect;
    const int32_t fit = std::max(CeilDivide(DocumentSize(record).h, v.right - v.left),
                                 CeilDivide(DocumentSize(record).v, v.bottom - v.top));
    // Never so far that a side keeps no whole pixel: a 40,000 x 48 image is
    // shown at most 48 times reduced, one row tall, and panned along.
    return std::max(1, std::min({fit, DocumentSize(record).h, DocumentSize(record).v}));
}

void ZoomedImageSize(const FilterRecord* record, int32_t* width, int32_t* height) {
    *width = ZoomedLength(DocumentSize(record).h);
    *height = ZoomedLength(DocumentSize(record).v);
}

void LayoutPreview(FilterRecord* record, const Rect& view) {
    PreviewState& p = previewState;
    PreviewRectFromHostRect(&view, &p.viewRect);
    p.zoomOut = uint32_t(FitFactor(record));
    record->inputRate = Fixed(p.zoomOut << 16);
    p.zoomIn = 1;
    PlaceImageAtOrigin(record);
    const int32_t width = p.imageRect.right, height = p.imageRect.bottom;
    p.imageRect.left = Centred(p.viewRect.left, p.viewRect.right, width);
    p.imageRect.top = Centred(p.viewRect.top, p.viewRect.bottom, height);
    p.imageRect.right = p.imageRect.left + width;
    p.imageRect.bottom = p.imageRect.top + height;
    p.imagePresent = 1;
}

int SetPreviewZoom(FilterRecord* record, int32_t request) {
    PreviewState& p = previewState;
    // Without a laid-out image the view may still be all zero: no fit to divide by.
    if (p.imagePresent == 0) return 0;
    // The view centre, and where it falls in the full image in 1/16 pixels,
    // rounded to nearest; all in unsigned 32-bit arithmetic.
    const int32_t cx = (p.viewRect.left + p.viewRect.right) >> 1;
    const int32_t cy = (p.viewRect.top + p.viewRect.bottom) >> 1;
    const uint32_t ax = (32u * p.zoomOut * uint32_t(cx - p.imageRect.left) + p.zoomIn) / (2u * p.zoomIn);
    const uint32_t ay = (32u * p.zoomOut * uint32_t(cy - p.imageRect.top) + p.zoomIn) / (2u * p.zoomIn);
    const uint32_t fit = uint32_t(FitFactor(record));

    uint32_t zoomOut = p.zoomOut, zoomIn = p.zoomIn;
    if (request < 0) {
        if (zoomIn > 1)
            --zoomIn;
        else if (zoomOut < fit)
            ++zoomOut;
        else
            return 0;
    } else if (request == 0) {
        if (zoomIn == 1 && zoomOut == fit) return 0;
        zoomIn = 1;
        zoomOut = fit;
    } else if (request == 1) {
        if (zoomOut > 1)
            --zoomOut;
        else if (zoomIn < kMaxZoomIn)
            ++zoomIn;
        else
            return 0;
    } else if (request <= 100) {
        zoomOut = std::min(uint32_t((request / 2 + 100) / request), fit);
        zoomIn = 1;
    } else {
        zoomOut = 1;
        zoomIn = std::min(uint32_t((request + 50) / 100), kMaxZoomIn);
    }

    p.zoomOut = zoomOut;
    p.zoomIn = zoomIn;
    record->inputRate = Fixed(zoomOut << 16);
    PlaceImageAtOrigin(record);
    // Back from 1/16 pixels to display pixels, rounded to nearest.
    const int32_t dx = cx - int32_t((2u * zoomIn * ax + 16u * zoomOut) / (32u * zoomOut)) - p.imageRect.left;
    const int32_t dy = cy - int32_t((2u * zoomIn * ay + 16u * zoomOut) / (32u * zoomOut)) - p.imageRect.top;
    PanImage(dx, dy);
    return 1;
}

uint32_t PreviewZoomPercent() {
    const PreviewState& p = previewState;
    return (p.zoomIn * 100u + p.zoomOut / 2u) / p.zoomOut;
}

int PanImage(int32_t dx, int32_t dy) {
    PreviewState& p = previewState;
    PreviewRect& i = p.imageRect;
    const int32_t width = i.right - i.left, height = i.bottom - i.top;
    const int32_t left = PannedStart(i.left, width, p.viewRect.left, p.viewRect.right, dx);
    const int32_t top = PannedStart(i.top, height, p.viewRect.top, p.viewRect.bottom, dy);
    if (left == i.left && top == i.top) return 0;
    i = PreviewRect{top, left, left + width, top + height};
    return 1;
}

}  // namespace tavirel
