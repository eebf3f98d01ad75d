#include "ImageConversion.h"

#include "HostScale.h"

namespace filterhost {

Document DocumentFromPng(const PngImage& png) {
    Document d;
    d.Allocate(png.width, png.height, png.channels, png.bits);
    const bool grey = png.channels < 3;
    d.imageMode = int16_t(grey ? (png.bits == 16 ? 10 : 1) : (png.bits == 16 ? 11 : 3));
    const size_t count = size_t(png.width) * png.height * png.channels;
    if (png.bits == 16) {
        auto* out = reinterpret_cast<uint16_t*>(d.data.data());
        for (size_t i = 0; i < count; ++i) out[i] = HostFromFile16(png.samples[i]);
    } else {
        for (size_t i = 0; i < count; ++i) d.data[i] = uint8_t(png.samples[i]);
    }
    return d;
}

PngImage PngFromDocument(const Document& result, const Document& original, const PngImage& originalPng) {
    PngImage png = originalPng;
    const size_t count = size_t(png.width) * png.height * png.channels;
    if (png.bits == 16) {
        const auto* now = reinterpret_cast<const uint16_t*>(result.data.data());
        const auto* before = reinterpret_cast<const uint16_t*>(original.data.data());
        for (size_t i = 0; i < count; ++i)
            if (now[i] != before[i]) png.samples[i] = FileFromHost16(now[i]);
    } else {
        for (size_t i = 0; i < count; ++i) png.samples[i] = result.data[i];
    }
    return png;
}

}  // namespace filterhost
