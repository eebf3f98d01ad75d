// 16-bit file samples (0..65535) against the host's 16-bit scale (0..32768).
// Reading rounds half down, writing rounds half up, so every host value
// survives a round trip:
//   h = floor((v 32768 + 32767) / 65535)
//   v = floor((min(h, 32768) 65535 + 16384) / 32768)
// v 32768 / 65535 is v / 2 + v / 131070, and v / 131070 is under a half for
// every v, so reading is (v + 1) / 2 rounded down. min(h, 32768) 65535 / 32768
// is 2h - h / 32768, so writing is 2h, less one once h passes 16384. Those are
// the forms below (no division; the row loops vectorise); ImageConversion.cpp
// checks them against the divisions for every value as it compiles.
#pragma once

#include <cstdint>

namespace filterhost {

constexpr uint16_t HostFromFile16(uint16_t v) { return uint16_t((uint32_t(v) + 1u) >> 1); }

constexpr uint16_t FileFromHost16(uint16_t h) {
    const uint32_t c = h > 32768 ? 32768u : h;
    return uint16_t(2u * c - (c > 16384u ? 1u : 0u));
}

// The host scale has 32769 values for the file's 65536, so a host value
// stands for one or two file values; FileFromHost16 gives one of them, and
// this the other (for a host value that stands for one only, a file value
// that does not map back to it).
constexpr uint16_t OtherFileValue16(uint16_t h) {
    const uint16_t c = FileFromHost16(h);
    return c > 0 && HostFromFile16(uint16_t(c - 1)) == HostFromFile16(c) ? uint16_t(c - 1) : uint16_t(c + 1);
}

// A 16-bit result sample's file value: the value it was read with while the
// run left it alone (of the two file values its host value stands for,
// `other` says which), else the host value's own. Between 1 and 32767 the
// other value is 2h - 1 up to 16384 and 2h above; a sample whose bit is set
// is never 0 or 32768, which stand for one file value only.
constexpr uint16_t ResultFileValue16(uint16_t now, uint16_t before, bool other) {
    const uint32_t c = now > 32768 ? 32768u : now;
    const uint32_t swap = now == before && other ? 1u : 0u;
    return uint16_t(2u * c - ((c > 16384u ? 1u : 0u) ^ swap));
}

static_assert(HostFromFile16(0) == 0 && HostFromFile16(65535) == 32768);
static_assert(FileFromHost16(0) == 0 && FileFromHost16(32768) == 65535 && FileFromHost16(40000) == 65535);
static_assert(HostFromFile16(FileFromHost16(1)) == 1 && HostFromFile16(FileFromHost16(32767)) == 32767);

}  // namespace filterhost
