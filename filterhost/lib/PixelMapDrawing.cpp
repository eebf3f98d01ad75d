#include "PixelMapDrawing.h"

#include "DisplayRows.h"

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

OSErr ConvertPixelMap(const PSPixelMap* map, const VRect* area, DisplayImage& image) {
    if (map == nullptr || area == nullptr || map->baseAddr == nullptr || map->version < 0) return paramErr;
    const int planesShown = map->imageMode == plugInModeRGBColor ? 3 : map->imageMode == plugInModeCMYKColor ? 4 : 1;
    if (map->planeBytes < 1 || map->colBytes < (planesShown - 1) * map->planeBytes + 1) return paramErr;
    const VRect& b = map->bounds;
    if (area->top < b.top || area->left < b.left || area->bottom > b.bottom || area->right > b.right) return paramErr;
    const int width = area->right - area->left, height = area->bottom - area->top;
    image.width = width > 0 && height > 0 ? width : 0;
    image.height = width > 0 && height > 0 ? height : 0;
    if (image.width == 0) return noErr;

    if (image.bits.size() < size_t(width) * size_t(height)) image.bits.resize(size_t(width) * size_t(height));
    const auto* base = static_cast<const uint8_t*>(map->baseAddr);
    // Interleaved 8-bit RGB, the maps of RGB documents, by rows of their own.
    const bool rgb = map->imageMode == plugInModeRGBColor && map->planeBytes == 1;
    const RgbRows& rows = DisplayRgbRows();
    for (int y = 0; y < height; ++y) {
        const uint8_t* from =
            base + intptr_t(area->top + y - b.top) * map->rowBytes + intptr_t(area->left - b.left) * map->colBytes;
        uint32_t* to = image.bits.data() + size_t(y) * size_t(width);
        if (rgb && map->colBytes == 3)
            rows.rgb3(from, to, width);
        else if (rgb && map->colBytes == 4)
            rows.rgb4(from, to, width);
        else
            for (int x = 0; x < width; ++x, from += map->colBytes)
                to[x] = DisplayColour(from, map->imageMode, map->planeBytes);
    }
    BITMAPINFOHEADER& h = image.info.bmiHeader;
    h = BITMAPINFOHEADER{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = -height;  // top row first
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    return noErr;
}

void DrawDisplayImage(const DisplayImage& image, int32 row, int32 column, HDC dc) {
    if (image.width <= 0 || image.height <= 0) return;
    SetDIBitsToDevice(dc, column, row, DWORD(image.width), DWORD(image.height), 0, 0, 0, UINT(image.height),
                      image.bits.data(), &image.info, DIB_RGB_COLORS);
}

OSErr DrawPixelMap(const PSPixelMap* map, const VRect* area, int32 row, int32 column, HDC dc, DisplayImage& scratch) {
    if (dc == nullptr) return paramErr;
    const OSErr converted = ConvertPixelMap(map, area, scratch);
    if (converted != noErr) return converted;
    DrawDisplayImage(scratch, row, column, dc);
    return noErr;
}

}  // namespace filterhost
