#include "SampleImage.h"

#include <cmath>

namespace {

constexpr int kWidth = 768;
constexpr int kWheelHeight = 512;
constexpr int kRampHeight = 96;
constexpr int kGreyHeight = 48;
constexpr int kHeight = kWheelHeight + 2 * kRampHeight + kGreyHeight;
constexpr double kTurn = 6.283185307179586;

struct Colour {
    double r, g, b;  // 0..1
};

// Hue in turns (0..1), saturation and value 0..1.
Colour FromHsv(double hue, double saturation, double value) {
    const double h = (hue - std::floor(hue)) * 6.0;
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double p = value * (1 - saturation), q = value * (1 - saturation * f), t = value * (1 - saturation * (1 - f));
    switch (sector) {
        case 0: return {value, t, p};
        case 1: return {q, value, p};
        case 2: return {p, value, t};
        case 3: return {p, q, value};
        case 4: return {t, p, value};
        default: return {value, p, q};
    }
}

Colour PixelAt(int x, int y) {
    if (y < kWheelHeight) {
        const double cx = kWidth / 2.0, cy = kWheelHeight / 2.0, radius = kWheelHeight / 2.0 - 8;
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance > radius) return {0.5, 0.5, 0.5};
        return FromHsv(std::atan2(-dy, dx) / kTurn, distance / radius, 1.0);
    }
    const double hue = double(x) / kWidth;
    y -= kWheelHeight;
    if (y < kRampHeight) return FromHsv(hue, double(y) / (kRampHeight - 1), 1.0);
    y -= kRampHeight;
    if (y < kRampHeight) return FromHsv(hue, 1.0, double(y) / (kRampHeight - 1));
    const double level = double(x) / (kWidth - 1);
    return {level, level, level};
}

}  // namespace

filterhost::PngImage DrawSampleImage(int bits) {
    filterhost::PngImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.channels = 3;
    image.bits = bits;
    const double full = bits == 16 ? 65535.0 : 255.0;
    image.samples.resize(size_t(kWidth) * kHeight * 3);
    size_t i = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Colour c = PixelAt(x, y);
            image.samples[i++] = uint16_t(std::lround(c.r * full));
            image.samples[i++] = uint16_t(std::lround(c.g * full));
            image.samples[i++] = uint16_t(std::lround(c.b * full));
        }
    }
    return image;
}
