// The row transform implementations that the dispatcher chooses between.
#pragma once

#include <cstdint>

namespace tavirel {

using Row8Function = void (*)(const uint8_t*, uint8_t*, int, int);
using Row16Function = void (*)(const uint16_t*, uint16_t*, int, int);

// Bit-exact with the plain paths; they skip the replacement colour where the
// weight is 0 and take the saturation index from an exact table (8-bit).
void TransformRow8Fast(const uint8_t* in, uint8_t* out, int planes, int count);
void TransformRow16Fast(const uint16_t* in, uint16_t* out, int planes, int count);

// "plain" or "fast": the path TransformRow8 and TransformRow16 use.
const char* ActiveTransformPathName();

}  // namespace tavirel
