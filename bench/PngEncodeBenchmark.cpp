// png_encode_benchmark: our PNG writer's speed and file sizes, per image and
// per compression, against the writer as it was (every row unfiltered, zlib
// level 6), on generated photograph-like RGB images: a sweep through every
// hue across, saturation rising down, waves of lightness, and seeded noise.
//   png_encode_benchmark [--rounds N] [--sides 1024,4096] [--save DIR]
// Each encoding is first read back by our reader and its samples compared
// with the image's; then it is timed N times (default 3) and the median
// printed, with the file's bytes. --save writes each image (default
// encoding) as DIR/SIDE-BITS-SCENE.png, for other encoders to be measured on.
//
// The scenes: "photo" has noise of up to 4 steps of 255 either way at both
// depths (at 16 bits every low-order bit is noise, as in a camera's file);
// "fine" has the same noise at 8 bits, and at 16 bits up to 8 of 65535 (the
// low byte's low bits only, as an image scaled up from less depth).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/common/TestRandom.h"
#include "filterhost/lib/PngFile.h"

namespace {

using filterhost::PngCompression;
using filterhost::PngEncoding;

struct Image {
    int side = 0, bits = 8;
    std::string scene;
    std::vector<uint8_t> rows;  // as the file holds them: RGB, big-endian at 16 bits
    size_t rowBytes() const { return size_t(side) * 3 * (bits / 8); }
};

// A colour from hue (turns), saturation and value (0..1).
void HsvToRgb(double hue, double s, double v, double out[3]) {
    const double h = (hue - std::floor(hue)) * 6.0;
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    for (int c = 0; c < 3; ++c) out[c] = table[sector][c];
}

Image MakeImage(int side, int bits, const std::string& scene) {
    Image image;
    image.side = side, image.bits = bits, image.scene = scene;
    image.rows.resize(image.rowBytes() * side);
    tavirel::test::TestRandom random(uint64_t(side) * 31 + uint64_t(bits) + (scene == "fine" ? 7 : 0));
    const double full = bits == 16 ? 65535 : 255;
    const double step = scene == "fine" && bits == 16 ? 2.0 : full / 255;  // one step of noise
    uint8_t* to = image.rows.data();
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            double rgb[3];
            HsvToRgb(double(x) / side + 0.1 * std::sin(y * 13.65 / side), 0.3 + 0.6 * y / side,
                     0.35 + 0.6 * (0.5 + 0.5 * std::cos((x + y) * 4.55 / side)), rgb);
            for (double c : rgb) {
                const double v = c * full + (double(random.UpTo(8)) - 4.0) * step;
                const long sample = std::clamp(std::lround(v), 0L, long(full));
                if (bits == 16) *to++ = uint8_t(sample >> 8);
                *to++ = uint8_t(sample);
            }
        }
    }
    return image;
}

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// The file in memory (path empty) or on disk; its size, or 0 on failure.
size_t Encode(const Image& image, const PngEncoding& encoding, const std::string& path = "") {
    filterhost::PngWriter writer(encoding);
    std::string error;
    bool ok = writer.Open(path, image.side, image.side, 3, image.bits, &error);
    for (int y = 0; ok && y < image.side; ++y) ok = writer.WriteRow(image.rows.data() + image.rowBytes() * y, &error);
    ok = ok && writer.Finish(&error);
    if (!ok) std::fprintf(stderr, "png_encode_benchmark: %s\n", error.c_str());
    return ok ? (path.empty() ? writer.bytes().size() : 1) : 0;
}

// Written to a file, read back by our reader: every sample as the image has it.
bool ReadsBack(const Image& image, const PngEncoding& encoding, const std::string& path) {
    if (Encode(image, encoding, path) == 0) return false;
    filterhost::PngImage back;
    std::string error;
    const bool read = filterhost::ReadPng(path, &back, &error);
    std::remove(path.c_str());
    if (!read || back.width != image.side || back.channels != 3 || back.bits != image.bits) return false;
    const uint8_t* p = image.rows.data();
    for (uint16_t v : back.samples) {
        const uint16_t expected = image.bits == 16 ? uint16_t(p[0] << 8 | p[1]) : p[0];
        if (v != expected) return false;
        p += image.bits / 8;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<int> sides = {1024, 4096};
    std::string saveTo;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--sides") == 0) {
            sides.clear();
            for (const char* p = argv[i + 1]; *p != '\0';) {
                sides.push_back(std::atoi(p));
                while (*p != '\0' && *p++ != ',') {
                }
            }
        } else if (std::strcmp(argv[i], "--save") == 0) {
            saveTo = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: png_encode_benchmark [--rounds N] [--sides 1024,4096] [--save DIR]\n");
            return 2;
        }
    }
    PngEncoding before;
    before.perRow = false, before.filter = filterhost::PngFilterType::None;
    before.deflater = filterhost::PngDeflater::Zlib, before.level = 6;
    const std::pair<const char*, PngEncoding> encodings[] = {
        {"before", before},
        {"fast", filterhost::EncodingFor(PngCompression::Fast)},
        {"default", filterhost::EncodingFor(PngCompression::Default)},
        {"small", filterhost::EncodingFor(PngCompression::Small)}};

    std::printf("%-23s %-8s %9s %11s %8s %8s\n", "image", "encoding", "MPix/s", "bytes", "speed", "size");
    for (int side : sides) {
        for (int bits : {8, 16}) {
            for (const char* scene : {"photo", "fine"}) {
                const Image image = MakeImage(side, bits, scene);
                const std::string name = std::to_string(side) + "-" + std::to_string(bits) + "-" + scene;
                if (!saveTo.empty() && Encode(image, encodings[2].second, saveTo + "/" + name + ".png") == 0) return 1;
                double beforeRate = 0;
                size_t beforeBytes = 0;
                for (const auto& [label, encoding] : encodings) {
                    if (!ReadsBack(image, encoding, "png_encode_benchmark-check.png")) {
                        std::fprintf(stderr, "png_encode_benchmark: %s, %s does not read back\n", name.c_str(), label);
                        return 1;
                    }
                    std::vector<double> times;
                    size_t bytes = 0;
                    for (int r = 0; r < rounds; ++r) {
                        const double start = Seconds();
                        bytes = Encode(image, encoding);
                        times.push_back(Seconds() - start);
                    }
                    std::sort(times.begin(), times.end());
                    const double rate = double(side) * side / 1e6 / times[times.size() / 2];
                    if (beforeBytes == 0) beforeRate = rate, beforeBytes = bytes;
                    char title[64];
                    std::snprintf(title, sizeof title, "%dx%d %d-bit %s", side, side, bits, scene);
                    std::printf("%-23s %-8s %9.1f %11zu %7.2fx %7.1f%%\n", label == encodings[0].first ? title : "",
                                label, rate, bytes, rate / beforeRate, 100.0 * double(bytes) / double(beforeBytes));
                    std::fflush(stdout);
                }
            }
        }
    }
    return 0;
}
