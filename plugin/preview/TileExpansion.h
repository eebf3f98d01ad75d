// Display pixels from delivered samples: the 16-bit samples reduced to bytes,
// and the enlargement by pixel replication when the preview is zoomed in.
// The kernels see pointers and strides only; samples are interleaved,
// `planes` to a pixel, in the source and in the destination alike.
#pragma once

#include <cstdint>

namespace tavirel {

// A host 16-bit sample (0..32768) as a display byte: (v x 511) >> 16,
// truncated, so 32768 -> 255, 129 -> 1, 128 -> 0. The host's samples never
// exceed 32768, and nothing larger is bounded here.
constexpr uint8_t DisplayByteFrom16(uint32_t v) { return uint8_t((v * 511u) >> 16); }
static_assert(DisplayByteFrom16(32768) == 255 && DisplayByteFrom16(128) == 0 && DisplayByteFrom16(129) == 1);
static_assert(DisplayByteFrom16(0) == 0);

// How one tile is enlarged: factor z, and how many display columns (rows) the
// first source column (row) still covers, 1..z.
struct Replication {
    uint32_t factor;
    int32_t columnPhase;
    int32_t rowPhase;
};

// Every row: the first source pixel written columnPhase times, each following
// one factor times, until width pixels; the first source row serves rowPhase
// destination rows, each following one factor rows, until height rows. A
// source pixel is read only when a display pixel needs it.
void ExpandTile8(const uint8_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                 const Replication& replication, int planes, int32_t width, int32_t height);
// The same from 16-bit samples, each reduced by DisplayByteFrom16.
void ExpandTile16(const uint16_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                  const Replication& replication, int planes, int32_t width, int32_t height);
// At zoom 1: width x planes samples of each of height rows, reduced to bytes.
void ReduceTile16(const uint16_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                  int planes, int32_t width, int32_t height);

}  // namespace tavirel
