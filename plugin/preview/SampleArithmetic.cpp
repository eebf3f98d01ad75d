#include "SampleArithmetic.h"

namespace tavirel {

SampleSquare SampleSquareFor(int32_t radius, const PreviewRect& imageRect) {
    SampleSquare square{2 * radius + 1, radius};
    const int32_t width = imageRect.right - imageRect.left, height = imageRect.bottom - imageRect.top;
    if (square.size > width || square.size > height) {
        square.size = width < height ? width : height;
        square.radius = square.size / 2;
    }
    return square;
}

SamplePosition SamplePositionFor(int32_t x, int32_t y, const PreviewRect& imageRect, uint32_t zoomIn,
                                 const SampleSquare& square, int32_t fullWidth, int32_t fullHeight) {
    // The point lies on the image, so the offsets are never negative.
    auto axis = [&](int32_t offset, int32_t full) {
        int32_t v = int32_t(uint32_t(offset) / zoomIn) - square.radius;
        if (v < 0)
            v = 0;
        else if (v > full - square.size)
            v = full - square.size;
        return v;
    };
    return {axis(x - imageRect.left, fullWidth), axis(y - imageRect.top, fullHeight)};
}

namespace {

uint32_t SampleAt(const uint8_t* row, int column, int planes, int plane, int32_t depth) {
    const size_t at = size_t(column) * planes + plane;
    if (depth == 16) return reinterpret_cast<const uint16_t*>(row)[at];
    return row[at];
}

}  // namespace

uint32_t SquareMean(const void* data, int32_t rowBytes, int planes, int plane, const SampleSquare& square,
                    int32_t depth) {
    const int32_t s = square.size, r = square.radius;
    if (s <= 0) return 0;
    const bool wide = depth == 16;
    uint32_t rows = 0;
    for (int32_t y = 0; y < s; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(data) + intptr_t(y) * rowBytes;
        uint32_t sum = 0;
        for (int32_t x = 0; x < s; ++x) sum += SampleAt(row, x, planes, plane, depth);
        if (s % 2 == 1) {
            // (sum + r) / (2r + 1) by the reciprocal and its shift: the row's
            // mean rounded to nearest, in an unsigned 32-bit product.
            rows += wide ? ((sum + uint32_t(r)) * kReciprocal16[size_t(r)]) >> 16
                         : ((sum + uint32_t(r)) * kReciprocal8[size_t(r)]) >> 23;
        } else {
            rows += (sum + uint32_t(s / 2)) / uint32_t(s);
        }
    }
    return (rows + uint32_t(r)) / uint32_t(s);
}

bool ModeIsInverted(int32_t imageMode) {
    // Bitmap 0, Grayscale 1, ..., Duotone16 15: grey, CMYK and multichannel
    // data count ink, not light.
    constexpr bool kInverted[16] = {false, true,  false, false, true,  false, false, true,
                                    false, false, true,  false, false, true,  true,  false};
    return imageMode >= 0 && imageMode < 16 && kInverted[imageMode];
}

void InvertSampleEntries(int32_t* values, int planes, int32_t imageMode) {
    const int count = BoundedSamplePlanes(planes);
    for (int k = ModeIsInverted(imageMode) ? 0 : 3; k < count; ++k) values[k] = 32768 - values[k];
}

}  // namespace tavirel
