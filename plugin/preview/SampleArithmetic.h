// The arithmetic of a colour sample from the preview: the square's size and
// position, its mean per plane, and the scaling and inversion that put every
// value on the host's 16-bit scale 0..32768 with RGB the right way round.
#pragma once
#include <array>
#include <cstdint>

#include "../util/Rectangles.h"

namespace tavirel {

// Reciprocals for the row means, by sample radius i: Q8[i] = floor(2^23 /
// (2i + 1)) and Q16[i] = floor(2^16 / (2i + 1)).
constexpr std::array<uint32_t, 256> MakeReciprocals(int shift) {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) t[i] = (uint32_t(1) << shift) / (2 * i + 1);
    return t;
}
inline constexpr std::array<uint32_t, 256> kReciprocal8 = MakeReciprocals(23);
inline constexpr std::array<uint32_t, 256> kReciprocal16 = MakeReciprocals(16);
static_assert(kReciprocal8[0] == 8388608 && kReciprocal8[1] == 2796202);
static_assert(kReciprocal16[0] == 65536 && kReciprocal16[1] == 21845);

// The sample arrays hold 24 planes; a document with more reports the first 24.
constexpr int kMaxSampledPlanes = 24;
constexpr int BoundedSamplePlanes(int planes) {
    return planes < 0 ? 0 : (planes > kMaxSampledPlanes ? kMaxSampledPlanes : planes);
}

struct SampleSquare {
    int32_t size;    // s, the side in image pixels
    int32_t radius;  // r, the centre column's distance from the left column
};
// 2 radius + 1, or the zoomed image's smaller side when that is less, with r = s / 2.
SampleSquare SampleSquareFor(int32_t radius, const PreviewRect& imageRect);

struct SamplePosition {
    int32_t x, y;  // top left of the square, in the host's reduced coordinates
};
// The display point (x, y) on the image to the square's top left: the pixel
// under it minus r, then clamped to 0, and otherwise to full size - s (which
// may be negative for an image narrower than the square).
SamplePosition SamplePositionFor(int32_t x, int32_t y, const PreviewRect& imageRect, uint32_t zoomIn,
                                 const SampleSquare& square, int32_t fullWidth, int32_t fullHeight);

// The mean of plane `plane` over an s x s square of interleaved samples
// (`planes` a pixel, rows rowBytes apart; 8-bit or 16-bit as depth says).
// Odd squares: each row's mean by the reciprocal table, rounded to nearest,
// then the mean of the row means. An even square averages the s samples of
// each row it holds, rounded half up, never a sample beyond it.
uint32_t SquareMean(const void* data, int32_t rowBytes, int planes, int plane, const SampleSquare& square,
                    int32_t depth);

// v x 32768 / 255 rounded half up: 0 -> 0, 128 -> 16448, 255 -> 32768.
constexpr uint32_t HostScaleFrom8(uint32_t v) { return (v * 65536 + 255) / 510; }
static_assert(HostScaleFrom8(128) == 16448 && HostScaleFrom8(255) == 32768);

// Whether the host's image mode stores its samples inverted (0 means full ink).
bool ModeIsInverted(int32_t imageMode);
// 32768 - v for every entry in an inverted mode, else for entries 3 and up only.
void InvertSampleEntries(int32_t* values, int planes, int32_t imageMode);

}  // namespace tavirel
