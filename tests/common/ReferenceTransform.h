// The hue exchange written straight from its formulas, for comparison with
// the engine: real divisions where the engine looks up tables, and every
// value (the weight's cosine included) recomputed for each pixel. It shares
// no code with the engine.
#pragma once
#include <cstdint>

namespace tavirel::test {

struct ReferenceSettings {
    int32_t sourceHue, sourceSaturation, sourceBrightness;
    int32_t destinationHue, destinationSaturation, destinationBrightness;
    int32_t range;
};

constexpr ReferenceSettings kDefaultReferenceSettings{0, 1000, 1000, 1800, 500, 500, 500};

struct Rgb {
    uint32_t r, g, b;
};

Rgb ReferenceTransform8(const ReferenceSettings& s, Rgb in);
Rgb ReferenceTransform16(const ReferenceSettings& s, Rgb in);

// Writes the settings into the plug-in's current parameters.
void ApplyReferenceSettings(const ReferenceSettings& s);

}  // namespace tavirel::test
