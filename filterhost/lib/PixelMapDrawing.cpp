#include "PixelMapDrawing.h"

namespace filterhost {

uint32_t DisplayColour(const uint8_t* p, int32 imageMode, int32 planeBytes) {
    uint32_t r, g, b;
    if (imageMode == plugInModeRGBColor) {
        r = p[0], g = p[planeBytes], b = p[2 * planeBytes];
    } else if (imageMode == plugInModeCMYKColor) {
        // Hosts hand CMYK over as light, 255 for no ink: the light left
        // through a plate and black, c k / 255 rounded to nearest.
        const uint32_t k = p[3 * planeBytes];
        r = (p[0] * k + 127u) / 255u;
        g = (p[planeBytes] * k + 127u) / 255u;
        b = (p[2 * planeBytes] * k + 127u) / 255u;
    } else {
        r = g = b = p[0];
    }
    return (r << 16) | (g << 8) | b;
}

OSErr DrawPixelMap(const PSPixelMap* map, const VRect* area, int32 row, int32 column, HDC dc,
                   std::vector<uint32_t>& scratch) {
    if (map == nullptr || area == nullptr || dc == nullptr || map->baseAddr == nullptr || map->version < 0)
        return paramErr;
    const int planesShown = map->imageMode == plugInModeRGBColor ? 3 : map->imageMode == plugInModeCMYKColor ? 4 : 1;
    if (map->planeBytes < 1 || map->colBytes < (planesShown - 1) * map->planeBytes + 1) return paramErr;
    const VRect& b = map->bounds;
    if (area->top < b.top || area->left < b.left || area->bottom > b.bottom || area->right > b.right) return paramErr;
    const int width = area->right - area->left, height = area->bottom - area->top;
    if (width <= 0 || height <= 0) return noErr;

    scratch.resize(size_t(width) * size_t(height));
    const auto* base = static_cast<const uint8_t*>(map->baseAddr);
    for (int y = 0; y < height; ++y) {
        const uint8_t* from =
            base + intptr_t(area->top + y - b.top) * map->rowBytes + intptr_t(area->left - b.left) * map->colBytes;
        uint32_t* to = scratch.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, from += map->colBytes)
            to[x] = DisplayColour(from, map->imageMode, map->planeBytes);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, column, row, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), scratch.data(), &info,
                      DIB_RGB_COLORS);
    return noErr;
}

}  // namespace filterhost
