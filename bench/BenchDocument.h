// The 4096 x 4096 photo-like benchmark image as a document of our host, at 8
// bits or at 16 bits on the host scale.
#pragma once
#include <cstring>
#include <vector>

#include "BenchImages.h"
#include "filterhost/lib/Document.h"

namespace tavirel::bench {

inline filterhost::Document MakeDocument(int depth) {
    filterhost::Document d;
    d.Allocate(kSide, kSide, 3, depth);
    d.imageMode = depth == 16 ? 11 : 3;
    if (depth == 16) {
        const std::vector<uint16_t> image = MakeImage16(Scene::Photo);
        std::memcpy(d.data.data(), image.data(), image.size() * 2);
    } else {
        const std::vector<uint8_t> image = MakeImage8(Scene::Photo);
        std::memcpy(d.data.data(), image.data(), image.size());
    }
    return d;
}

}  // namespace tavirel::bench
