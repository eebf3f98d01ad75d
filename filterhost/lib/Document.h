// An image as our host holds it: interleaved samples, 8-bit (0..255) or
// 16-bit on the host scale (0..32768), 1 to 4 planes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace filterhost {

struct Document {
    int width = 0;
    int height = 0;
    int planes = 3;
    int depth = 8;              // bits a sample: 8 or 16
    int16_t imageMode = 3;      // 3 RGB, 11 RGB48, 1 grey, ...
    std::vector<uint8_t> data;  // row-major, planes interleaved, sampleBytes() each

    int sampleBytes() const { return depth == 16 ? 2 : 1; }
    size_t rowBytes() const { return size_t(width) * planes * sampleBytes(); }
    void Allocate(int w, int h, int p, int bits);
    // The shape set and room taken for every row, but no row made yet: a
    // reader makes each row (zeroed) with ReachRow as its data arrives, so
    // the memory of rows a short file never reaches is never touched.
    // Throws std::bad_alloc when the room cannot be had.
    void Reserve(int w, int h, int p, int bits);
    // Rows 0 to y made, within the room Reserve took: never allocates.
    void ReachRow(int y) {
        const size_t end = (size_t(y) + 1) * rowBytes();
        if (data.size() < end) data.resize(end);
    }

    uint32_t Sample(int x, int y, int plane) const;
    void SetSample(int x, int y, int plane, uint32_t value);
    uint8_t* Pixel(int x, int y) { return data.data() + size_t(y) * rowBytes() + size_t(x) * planes * sampleBytes(); }
    const uint8_t* Pixel(int x, int y) const {
        return data.data() + size_t(y) * rowBytes() + size_t(x) * planes * sampleBytes();
    }
};

// FNV-1a over the sample bytes and the shape: equal documents, equal sums.
uint64_t DocumentChecksum(const Document& document);

}  // namespace filterhost
