// The run-time tables of the hue transform, built from the colour settings of
// currentParameters. One process-wide set, overwritten completely by each build.
#pragma once

#include <cstdint>

namespace tavirel {

constexpr int kHueIndexCount = 1531;         // pixel hue indices 0..1530
constexpr int kSaturationIndexCount = 1025;  // saturation indices 0..1024

// How far a pixel of each hue index moves towards its replacement, 0..65536.
extern int32_t hueWeight[kHueIndexCount];
// Factor in 1024ths on the pixel's brightness, per saturation index.
extern int32_t brightnessFactor[kSaturationIndexCount];
// Saturation index of the replacement colour, per saturation index.
extern int32_t saturationMap[kSaturationIndexCount];
// brightnessFactor[i] | saturationMap[i] << 16: both in one lookup, for the
// vector paths (each value is at most 1024).
extern int32_t saturationPair[kSaturationIndexCount];
// Hue index of every replacement colour, 0..1531 (1531 and 0 are both red).
extern int32_t destinationHueIndex;

// Reads the settings through GetParameterComponent, brings each into its
// range (so no lookup can leave its table whatever a record holds) and
// rebuilds all the outputs. Always returns 0.
int BuildTransformTables();

}  // namespace tavirel
