// The 8-bit saturation index without a division: kSaturation8[(max - min) *
// 256 + max] = floor(((max - min) 1024 + floor(max / 2)) / max), exact, for
// 0 <= max - min <= max <= 255, and 0 for max = 0. Other entries are never
// read. Two zero entries at the end let a 32-bit gather read the last entry.
#pragma once
#include <array>
#include <cstdint>

namespace tavirel {

using SaturationTable = std::array<uint16_t, 256 * 256 + 2>;

constexpr SaturationTable MakeSaturationTable() {
    SaturationTable t{};
    for (int max = 1; max < 256; ++max)
        for (int d = 0; d <= max; ++d) t[d * 256 + max] = uint16_t((d * 1024 + max / 2) / max);
    return t;
}

inline constexpr SaturationTable kSaturation8 = MakeSaturationTable();
static_assert(kSaturation8[255 * 256 + 255] == 1024 && kSaturation8[0 * 256 + 17] == 0);
static_assert(kSaturation8[1 * 256 + 2] == 512 && kSaturation8[1 * 256 + 3] == 341);

}  // namespace tavirel
