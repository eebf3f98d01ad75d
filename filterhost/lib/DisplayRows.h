// The row conversions of displayPixels for interleaved 8-bit RGB maps, the
// maps every RGB document's preview sends: each pixel as 0x00RRGGBB, the
// layout of a 32-bit top-down DIB (bytes B, G, R, 0). A plain pair and an
// SSSE3 pair; the host picks one pair once (DisplayRgbRows).
#pragma once

#include <cstdint>

namespace filterhost {

using RgbRowFunction = void (*)(const uint8_t* from, uint32_t* to, int width);

struct RgbRows {
    const char* name;     // "plain" or "ssse3"
    RgbRowFunction rgb3;  // pixels 3 bytes apart
    RgbRowFunction rgb4;  // pixels 4 bytes apart, the fourth sample not shown
};

void RgbRow3Plain(const uint8_t* from, uint32_t* to, int width);
void RgbRow4Plain(const uint8_t* from, uint32_t* to, int width);
// Four pixels a shuffle; callable only where the processor has SSSE3. They
// read no byte past the row's last pixel.
void RgbRow3Ssse3(const uint8_t* from, uint32_t* to, int width);
void RgbRow4Ssse3(const uint8_t* from, uint32_t* to, int width);

bool ProcessorHasSsse3();
// The pair displayPixels uses: SSSE3 where the processor has it, unless
// TAVIREL_SIMD in the environment is "none" or "plain" (the switch the
// engine's row paths obey too).
const RgbRows& DisplayRgbRows();

}  // namespace filterhost
