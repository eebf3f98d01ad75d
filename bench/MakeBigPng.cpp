// make-bench-png: the large RGB images of bench/host-memory.sh, written a row
// at a time so that making one takes no more memory than a few rows.
//   make-bench-png OUT.png SIDE BITS       a SIDE x SIDE image at 8 or 16 bits
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

int Make(const std::string& path, int side, int bits) {
    filterhost::PngWriter writer;
    std::string error;
    if (!writer.Open(path, side, side, 3, bits, &error)) {
        std::fprintf(stderr, "make-bench-png: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> row(writer.rowBytes());
    uint32_t noise = 0x2545F491u;
    const uint32_t top = bits == 16 ? 65535u : 255u;
    for (int y = 0; y < side; ++y) {
        uint8_t* to = row.data();
        for (int x = 0; x < side; ++x) {
            // xorshift32: four bits of noise a sample
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            const uint32_t ramps[3] = {uint32_t(uint64_t(x) * top / side), uint32_t(uint64_t(y) * top / side),
                                       uint32_t(uint64_t(x + y) * top / (2 * side))};
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
    if (argc != (check ? 5 : 4)) {
        std::fprintf(stderr, "usage: make-bench-png [--check] FILE SIDE BITS\n");
        return 2;
    }
    const std::string path = argv[check ? 2 : 1];
    const int side = std::atoi(argv[check ? 3 : 2]), bits = std::atoi(argv[check ? 4 : 3]);
    if (side <= 0 || (bits != 8 && bits != 16)) {
        std::fprintf(stderr, "make-bench-png: SIDE must be positive and BITS 8 or 16\n");
        return 2;
    }
    return check ? Check(path, side, bits) : Make(path, side, bits);
}
