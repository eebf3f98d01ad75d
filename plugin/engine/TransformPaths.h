// The row transform implementations that the dispatcher chooses between.
// All are bit-exact with the plain paths of HueTransform.h.
#pragma once
#include <cstdint>

namespace tavirel {

using Row8Function = void (*)(const uint8_t*, uint8_t*, int, int);
using Row16Function = void (*)(const uint16_t*, uint16_t*, int, int);

// Scalar: skip the replacement colour where the weight is 0; the 8-bit
// saturation index from an exact table.
void TransformRow8Fast(const uint8_t* in, uint8_t* out, int planes, int count);
void TransformRow16Fast(const uint16_t* in, uint16_t* out, int planes, int count);
// Eight pixels at a time; callable only where the processor has AVX2.
void TransformRow8Avx2(const uint8_t* in, uint8_t* out, int planes, int count);
void TransformRow16Avx2(const uint16_t* in, uint16_t* out, int planes, int count);

struct TransformPath {
    const char* name;  // "plain", "fast", "avx2"
    Row8Function row8;
    Row16Function row16;
};

// The paths this processor can run, plain first; *count receives how many.
const TransformPath* AvailableTransformPaths(int* count);

// The path TransformRow8 and TransformRow16 use: the best available one, or
// the one named by TAVIREL_SIMD in the environment ("none" or "plain" for
// the plain path, "fast", "avx2"; a name not available is ignored).
const char* ActiveTransformPathName();

}  // namespace tavirel
