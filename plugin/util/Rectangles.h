// The three rectangle shapes that meet in the plug-in, and the conversions
// between them. Each copies field by field; only the host's 16-bit Rect can
// refuse a value.
#pragma once

#include <cstdint>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The system's rectangle, laid out as Win32 RECT: left, top, right, bottom.
struct SystemRect {
    int32_t left, top, right, bottom;
};

// A system point, laid out as Win32 POINT.
struct SystemPoint {
    int32_t x, y;
};

// The preview's rectangle: top, left, right, bottom (not the host's order).
// Empty when top >= bottom or left >= right.
struct PreviewRect {
    int32_t top, left, right, bottom;
};

bool IsEmpty(const PreviewRect& r);

int SystemRectFromHostRect(const Rect* source, SystemRect* destination);
// -50 when a value lies outside -32768..32767; the destination is then untouched.
int HostRectFromSystemRect(const SystemRect* source, Rect* destination);
int PreviewRectFromHostRect(const Rect* source, PreviewRect* destination);
int HostRectFromPreviewRect(const PreviewRect* source, Rect* destination);
int SystemRectFromPreviewRect(const PreviewRect* source, SystemRect* destination);
int PreviewRectFromSystemRect(const SystemRect* source, PreviewRect* destination);
// (x, y) becomes v = y, h = x; -50 outside the 16-bit range.
int HostPointFromSystemPoint(const SystemPoint* source, Point* destination);

}  // namespace tavirel
