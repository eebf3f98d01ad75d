#include "BenchImages.h"

#include <cmath>

#include "../tests/common/TestRandom.h"

namespace tavirel::bench {
namespace {

// A colour from hue (0..1 of a turn), saturation and value (0..1), scaled to `full`.
void HsvTo(double hue, double s, double v, double full, double out[3]) {
    const double h = (hue - std::floor(hue)) * 6.0;
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    for (int c = 0; c < 3; ++c) out[c] = table[sector][c] * full;
}

template <typename Sample>
std::vector<Sample> Make(Scene scene, uint32_t full) {
    std::vector<Sample> image(kPixels * 3);
    test::TestRandom random(scene == Scene::Noise ? 1 : scene == Scene::Sweep ? 2 : 3);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            Sample* p = &image[(size_t(y) * kSide + x) * 3];
            double c[3] = {0, 0, 0};
            switch (scene) {
                case Scene::Noise:
                    for (int i = 0; i < 3; ++i) p[i] = Sample(random.UpTo(full));
                    continue;
                case Scene::Sweep:
                    // Hues across the band around red (range 1000 reaches a
                    // third of the circle each way), mixed saturation and value.
                    HsvTo((random.UpTo(6000) / 6000.0 - 0.5) * 0.6, 0.2 + random.UpTo(800) / 1000.0,
                          0.2 + random.UpTo(800) / 1000.0, full, c);
                    break;
                case Scene::Photo:
                    HsvTo(x / double(kSide) + 0.1 * std::sin(y / 300.0), 0.3 + 0.6 * y / kSide,
                          0.35 + 0.6 * (0.5 + 0.5 * std::cos((x + y) / 900.0)), full, c);
                    for (int i = 0; i < 3; ++i) c[i] += double(random.UpTo(8)) - 4.0;
                    break;
            }
            for (int i = 0; i < 3; ++i) p[i] = Sample(c[i] < 0 ? 0 : (c[i] > full ? full : std::lround(c[i])));
        }
    }
    return image;
}

}  // namespace

std::vector<uint8_t> MakeImage8(Scene scene) { return Make<uint8_t>(scene, 255); }
std::vector<uint16_t> MakeImage16(Scene scene) { return Make<uint16_t>(scene, 32768); }

uint64_t Checksum(const void* data, size_t bytes) {
    uint64_t h = 1469598103934665603ull;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

}  // namespace tavirel::bench
