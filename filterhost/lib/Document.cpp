#include "Document.h"

#include <cstring>

namespace filterhost {

void Document::Allocate(int w, int h, int p, int bits) {
    width = w, height = h, planes = p, depth = bits;
    imageMode = bits == 16 ? 11 : 3;
    data.assign(rowBytes() * size_t(h), 0);
}

void Document::Reserve(int w, int h, int p, int bits) {
    width = w, height = h, planes = p, depth = bits;
    imageMode = bits == 16 ? 11 : 3;
    data.clear();
    data.reserve(rowBytes() * size_t(h));
}

uint32_t Document::Sample(int x, int y, int plane) const {
    const uint8_t* p = Pixel(x, y) + plane * sampleBytes();
    if (depth == 16) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    return *p;
}

void Document::SetSample(int x, int y, int plane, uint32_t value) {
    uint8_t* p = Pixel(x, y) + plane * sampleBytes();
    if (depth == 16) {
        const uint16_t v = uint16_t(value);
        std::memcpy(p, &v, 2);
    } else {
        *p = uint8_t(value);
    }
}

uint64_t DocumentChecksum(const Document& d) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint64_t byte) { h = (h ^ byte) * 1099511628211ull; };
    for (int v : {d.width, d.height, d.planes, d.depth}) mix(uint64_t(v));
    for (uint8_t b : d.data) mix(b);
    return h;
}

}  // namespace filterhost
