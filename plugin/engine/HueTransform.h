// The per-pixel hue exchange over rows of interleaved samples. A pixel is
// `planes` consecutive samples of which the first three are R, G, B; samples
// after the third are neither read nor written. Input and output may be the
// same row: all three input samples of a pixel are read before any output
// sample. The run-time tables (TransformTables.h) must have been built first.
#pragma once

#include <cstdint>

namespace tavirel {

// 8-bit samples; hue and in-sector interpolation by table lookups.
void TransformRow8(const uint8_t* in, uint8_t* out, int planes, int count);
// 16-bit samples on the host scale 0..32768; planes counts samples, not bytes.
void TransformRow16(const uint16_t* in, uint16_t* out, int planes, int count);

// The plain scalar paths, formula by formula. The entry points above use a
// faster path when one is active; these stay complete and are what
// TAVIREL_SIMD=none selects.
void TransformRow8Plain(const uint8_t* in, uint8_t* out, int planes, int count);
void TransformRow16Plain(const uint16_t* in, uint16_t* out, int planes, int count);

}  // namespace tavirel
