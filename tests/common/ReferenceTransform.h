// The hue exchange written straight from its formulas, for comparison with
// the engine: real divisions where the engine looks up tables, every value
// recomputed for each pixel but the weight, whose cosine is worked out once
// for each hue index of a setting. It shares no code with the engine.
#pragma once
#include <cstdint>
#include <vector>

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

// The settings' integer coordinates: hue indices, saturation and brightness
// on 1024, the range's half-width in hue indices.
struct ReferenceDerived {
    int32_t hs, hd, ss, sd, bd, rg;
};
constexpr int32_t kHueIndices = 1531;

// One setting's transform, for as many pixels as a comparison takes.
class ReferenceTransformer {
public:
    explicit ReferenceTransformer(const ReferenceSettings& s);
    Rgb Transform8(Rgb in) const;
    Rgb Transform16(Rgb in) const;

private:
    ReferenceDerived derived_;
    std::vector<int32_t> weights_;
};

// Writes the settings into the plug-in's current parameters.
void ApplyReferenceSettings(const ReferenceSettings& s);

}  // namespace tavirel::test
