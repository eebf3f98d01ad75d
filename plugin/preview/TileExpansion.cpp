#include "TileExpansion.h"

#include <cstring>

namespace tavirel {
namespace {

// One destination row from one source row. Unit is the display pixel (or,
// per plane, the display sample) that Load reads from the source and Store
// writes; the first source unit covers `phase` outputs, every later one
// `factor`, until `count` outputs are written.
template <typename Load, typename Store>
void ExpandRow(int32_t count, uint32_t factor, int32_t phase, Load load, Store store) {
    int32_t written = 0;
    int32_t run = phase;
    for (int32_t column = 0; written < count; ++column) {
        const auto unit = load(column);
        const int32_t end = written + run < count ? written + run : count;
        for (; written < end; ++written) store(written, unit);
        run = int32_t(factor);
    }
}

// Destination rows: each source row is expanded once into the first
// destination row it serves, and copied into the others.
template <typename Sample, typename ExpandOne>
void ExpandRows(const Sample* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                const Replication& z, int32_t rowLength, int32_t height, ExpandOne expandOne) {
    int32_t done = 0;
    int32_t run = z.rowPhase;
    for (int32_t row = 0; done < height; ++row) {
        const auto* from =
            reinterpret_cast<const Sample*>(reinterpret_cast<const uint8_t*>(source) + intptr_t(row) * sourceRowBytes);
        uint8_t* first = destination + intptr_t(done) * destinationRowBytes;
        expandOne(from, first);
        const int32_t end = done + run < height ? done + run : height;
        for (int32_t copy = done + 1; copy < end; ++copy)
            std::memcpy(destination + intptr_t(copy) * destinationRowBytes, first, size_t(rowLength));
        done = end;
        run = int32_t(z.factor);
    }
}

struct Pixel3 {
    uint8_t b[3];
};

template <typename Sample, typename Convert>
void Expand(const Sample* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
            const Replication& z, int planes, int32_t width, int32_t height, Convert convert) {
    if (width <= 0 || height <= 0 || planes <= 0) return;
    const int32_t rowLength = width * planes;
    if (planes == 3) {
        ExpandRows(source, sourceRowBytes, destination, destinationRowBytes, z, rowLength, height,
                   [&](const Sample* from, uint8_t* to) {
                       ExpandRow(
                           width, z.factor, z.columnPhase,
                           [&](int32_t c) {
                               const Sample* p = from + intptr_t(c) * 3;
                               return Pixel3{{convert(p[0]), convert(p[1]), convert(p[2])}};
                           },
                           [&](int32_t x, const Pixel3& px) { std::memcpy(to + intptr_t(x) * 3, px.b, 3); });
                   });
    } else if (planes == 4) {
        // Four bytes moved as one 32-bit word.
        ExpandRows(source, sourceRowBytes, destination, destinationRowBytes, z, rowLength, height,
                   [&](const Sample* from, uint8_t* to) {
                       ExpandRow(
                           width, z.factor, z.columnPhase,
                           [&](int32_t c) {
                               const Sample* p = from + intptr_t(c) * 4;
                               const uint8_t bytes[4] = {convert(p[0]), convert(p[1]), convert(p[2]), convert(p[3])};
                               uint32_t word;
                               std::memcpy(&word, bytes, 4);
                               return word;
                           },
                           [&](int32_t x, uint32_t word) { std::memcpy(to + intptr_t(x) * 4, &word, 4); });
                   });
    } else {
        // One pass per plane, a sample at a time, `planes` apart.
        ExpandRows(source, sourceRowBytes, destination, destinationRowBytes, z, rowLength, height,
                   [&](const Sample* from, uint8_t* to) {
                       for (int plane = 0; plane < planes; ++plane) {
                           ExpandRow(
                               width, z.factor, z.columnPhase,
                               [&](int32_t c) { return convert(from[intptr_t(c) * planes + plane]); },
                               [&](int32_t x, uint8_t v) { to[intptr_t(x) * planes + plane] = v; });
                       }
                   });
    }
}

}  // namespace

void ExpandTile8(const uint8_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                 const Replication& replication, int planes, int32_t width, int32_t height) {
    Expand(source, sourceRowBytes, destination, destinationRowBytes, replication, planes, width, height,
           [](uint8_t v) { return v; });
}

void ExpandTile16(const uint16_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                  const Replication& replication, int planes, int32_t width, int32_t height) {
    Expand(source, sourceRowBytes, destination, destinationRowBytes, replication, planes, width, height,
           [](uint16_t v) { return DisplayByteFrom16(v); });
}

void ReduceTile16(const uint16_t* source, int32_t sourceRowBytes, uint8_t* destination, int32_t destinationRowBytes,
                  int planes, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || planes <= 0) return;
    const int32_t count = width * planes;
    for (int32_t y = 0; y < height; ++y) {
        const auto* from =
            reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(source) + intptr_t(y) * sourceRowBytes);
        uint8_t* to = destination + intptr_t(y) * destinationRowBytes;
        for (int32_t i = 0; i < count; ++i) to[i] = DisplayByteFrom16(from[i]);
    }
}

}  // namespace tavirel
