// 16-bit file samples (0..65535) against the host's 16-bit scale (0..32768).
// Reading rounds up, writing rounds half up, so every host value survives a
// round trip: h = floor((v 32768 + 32767) / 65535), v = floor((min(h, 32768) 65535 + 16384) / 32768).
#pragma once

#include <cstdint>

namespace filterhost {

constexpr uint16_t HostFromFile16(uint16_t v) { return uint16_t((uint32_t(v) * 32768u + 32767u) / 65535u); }

constexpr uint16_t FileFromHost16(uint16_t h) {
    const uint32_t c = h > 32768 ? 32768u : h;
    return uint16_t((c * 65535u + 16384u) / 32768u);
}

// The host scale has 32769 values for the file's 65536, so a host value
// stands for one or two file values; FileFromHost16 gives one of them, and
// this the other (for a host value that stands for one only, a file value
// that does not map back to it).
constexpr uint16_t OtherFileValue16(uint16_t h) {
    const uint16_t c = FileFromHost16(h);
    return c > 0 && HostFromFile16(uint16_t(c - 1)) == HostFromFile16(c) ? uint16_t(c - 1) : uint16_t(c + 1);
}

static_assert(HostFromFile16(0) == 0 && HostFromFile16(65535) == 32768);
static_assert(FileFromHost16(0) == 0 && FileFromHost16(32768) == 65535 && FileFromHost16(40000) == 65535);
static_assert(HostFromFile16(FileFromHost16(1)) == 1 && HostFromFile16(FileFromHost16(32767)) == 32767);

}  // namespace filterhost
