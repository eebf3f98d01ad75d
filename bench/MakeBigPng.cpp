// make-bench-png: the large RGB images of bench/host-memory.sh, written a row
// at a time so that making one takes no more memory than a few rows.
//   make-bench-png OUT.png SIDE BITS       a SIDE x SIDE image at 8 or 16 bits
//   make-bench-png --hues OUT.png SIDE BITS SEED
//                                          every hue across, saturation and
//                                          brightness falling down, seeded
//                                          noise and hue offset
//   make-bench-png --check FILE SIDE BITS  reads FILE whole, every chunk and
//                                          the stream checked; status 0 when it
//                                          is a SIDE x SIDE RGB image at BITS
// The pixels are smooth ramps with a little seeded noise, so the file
// compresses about as a photograph does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "filterhost/lib/PngFile.h"

namespace {

// The colour of pixel (x, y) of the hue image, channels 0..top: the hue turns
// once across the width (from an offset the seed picks), saturation falls from
// 1 to 1/2 and brightness from 1 to 2/3 down the height. Fixed point: hue in
// 1/65536 of a sextant, exact integer division, truncated.
void HueWheel(int x, int y, int side, uint32_t top, uint32_t seed, uint32_t rgb[3]) {
    const uint64_t turn = 6ull << 16;
    const uint64_t hue = (uint64_t(x) * turn / uint64_t(side) + uint64_t(seed) * 37 * turn / 360) % turn;
    const uint32_t sextant = uint32_t(hue >> 16), f = uint32_t(hue & 0xFFFF);
    const uint64_t v = top - uint64_t(top) * uint64_t(y) / (3ull * uint64_t(side));
    const uint64_t s = 65536 - 32768ull * uint64_t(y) / uint64_t(side);  // saturation, 1/65536
    const uint32_t p = uint32_t(v * (65536 - s) >> 16);
    const uint32_t q = uint32_t(v * (65536 - (s * f >> 16)) >> 16);
    const uint32_t t = uint32_t(v * (65536 - (s * (65536 - f) >> 16)) >> 16);
    const uint32_t w = uint32_t(v);
    const uint32_t table[6][3] = {{w, t, p}, {q, w, p}, {p, w, t}, {p, q, w}, {t, p, w}, {w, p, q}};
    for (int c = 0; c < 3; ++c) rgb[c] = table[sextant][c];
}

int Make(const std::string& path, int side, int bits, bool hues = false, uint32_t seed = 0) {
    filterhost::PngWriter writer;
    std::string error;
    if (!writer.Open(path, side, side, 3, bits, &error)) {
        std::fprintf(stderr, "make-bench-png: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> row(writer.rowBytes());
    uint32_t noise = 0x2545F491u ^ (seed * 0x9E3779B9u);
    const uint32_t top = bits == 16 ? 65535u : 255u;
    for (int y = 0; y < side; ++y) {
        uint8_t* to = row.data();
        for (int x = 0; x < side; ++x) {
            // xorshift32: four bits of noise a sample
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            uint32_t ramps[3] = {uint32_t(uint64_t(x) * top / side), uint32_t(uint64_t(y) * top / side),
                                 uint32_t(uint64_t(x + y) * top / (2 * side))};
            if (hues) HueWheel(x, y, side, top, seed, ramps);
            for (int c = 0; c < 3; ++c) {
                const uint32_t jitter = (noise >> (4 * c) & 15) * (top / 255);
                const uint32_t v = ramps[c] + jitter > top ? top : ramps[c] + jitter;
                if (bits == 16) *to++ = uint8_t(v >> 8);
                *to++ = uint8_t(v);
            }
        }
        if (!writer.WriteRow(row.data(), &error)) {
            std::fprintf(stderr, "make-bench-png: %s\n", error.c_str());
            return 1;
        }
    }
    if (!writer.Finish(&error)) {
        std::fprintf(stderr, "make-bench-png: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int Check(const std::string& path, int side, int bits) {
    filterhost::PngReader reader;
    std::string error;
    long rows = 0;
    if (!reader.Open(path, &error) || !reader.ReadRows([&](int, int, int, int, const uint16_t*) { ++rows; }, &error)) {
        std::fprintf(stderr, "make-bench-png: %s\n", error.c_str());
        return 1;
    }
    const filterhost::PngInfo& info = reader.info();
    if (info.width != side || info.height != side || info.channels != 3 || info.bits != bits || rows != side) {
        std::fprintf(stderr, "make-bench-png: %s is %d x %d, %d channels at %d bits\n", path.c_str(), info.width,
                     info.height, info.channels, info.bits);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 5 && std::strcmp(argv[1], "--check") == 0;
    const bool hues = argc == 6 && std::strcmp(argv[1], "--hues") == 0;
    if (argc != (check ? 5 : hues ? 6 : 4)) {
        std::fprintf(stderr, "usage: make-bench-png [--check] FILE SIDE BITS | --hues FILE SIDE BITS SEED\n");
        return 2;
    }
    const int first = check || hues ? 2 : 1;
    const std::string path = argv[first];
    const int side = std::atoi(argv[first + 1]), bits = std::atoi(argv[first + 2]);
    if (side <= 0 || (bits != 8 && bits != 16)) {
        std::fprintf(stderr, "make-bench-png: SIDE must be positive and BITS 8 or 16\n");
        return 2;
    }
    if (check) return Check(path, side, bits);
    return Make(path, side, bits, hues, hues ? uint32_t(std::strtoul(argv[5], nullptr, 10)) : 0);
}
