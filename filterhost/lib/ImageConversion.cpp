#include "ImageConversion.h"

#include <cstring>
#include <new>
#include <utility>

#include "HostScale.h"

namespace filterhost {
namespace {

std::string Megabytes(uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

bool HasOriginShape(const Document& d, const PngOrigin& origin) {
    return d.width == origin.width && d.height == origin.height && d.planes == origin.channels &&
           d.depth == origin.bits && d.data.size() == d.rowBytes() * size_t(d.height);
}

// Whether a result and its original can still be written as the file they
// came from; false with the reason.
bool FitsOrigin(const Document& result, const Document& original, const PngOrigin& origin, std::string* why) {
    if (!HasOriginShape(result, origin) || !HasOriginShape(original, origin)) {
        *why = "the document no longer has the original's shape";
        return false;
    }
    if (origin.bits == 16 && origin.otherValue.size() * 8 < size_t(origin.width) * origin.height * origin.channels) {
        *why = "the original's 16-bit values are missing";
        return false;
    }
    return true;
}

// Whether a file value is the other of the two its host value stands for.
inline bool IsOtherFileValue(uint16_t v) { return v != FileFromHost16(HostFromFile16(v)); }

// n file samples, the first of them sample `first` of the image, into host
// values at `to`, and each one's bit into `other` (whose bits start cleared).
// Whole bytes of bits are gathered eight samples at a time.
void ReadRow16(const uint16_t* s, size_t n, size_t first, uint16_t* to, uint8_t* other) {
    for (size_t k = 0; k < n; ++k) to[k] = HostFromFile16(s[k]);
    const auto oneBit = [&](size_t k) {
        const size_t i = first + k;
        other[i >> 3] = uint8_t(other[i >> 3] | unsigned(IsOtherFileValue(s[k])) << (i & 7));
    };
    size_t k = 0;
    for (; k < n && ((first + k) & 7) != 0; ++k) oneBit(k);
    for (; k + 8 <= n; k += 8) {
        unsigned bits = 0;
        for (unsigned j = 0; j < 8; ++j) bits |= unsigned(IsOtherFileValue(s[k + j])) << j;
        other[(first + k) >> 3] = uint8_t(bits);
    }
    for (; k < n; ++k) oneBit(k);
}

// The host scale's closed forms (HostScale.h) against the divisions they
// stand for, every value, checked once here rather than in every file that
// includes them.
constexpr bool ClosedFormsMatchTheDivisions() {
    for (uint32_t v = 0; v <= 65535; ++v)
        if (HostFromFile16(uint16_t(v)) != (v * 32768u + 32767u) / 65535u) return false;
    for (uint32_t h = 0; h <= 65535; ++h) {
        const uint32_t c = h > 32768 ? 32768u : h;
        const uint16_t file = FileFromHost16(uint16_t(h));
        if (file != (c * 65535u + 16384u) / 32768u) return false;
        if (ResultFileValue16(uint16_t(h), uint16_t(h + 1), true) != file) return false;
        if (c > 0 && c < 32768 && ResultFileValue16(uint16_t(h), uint16_t(h), true) != OtherFileValue16(uint16_t(h)))
            return false;
    }
    return true;
}
static_assert(ClosedFormsMatchTheDivisions());

}  // namespace

bool ReadPngDocument(const std::string& path, Document* document, PngOrigin* origin, std::string* error,
                     int largestSide) {
    PngReader reader;
    if (!reader.Open(path, error)) return false;
    const PngInfo& info = reader.info();
    if (info.width > largestSide || info.height > largestSide) {
        *error = path + " is " + std::to_string(info.width) + " x " + std::to_string(info.height) +
                 " pixels; the host interface's coordinates are 16-bit, so a plug-in can be given at most " +
                 std::to_string(kLargest16BitSide) +
                 " pixels a side (more only to a plug-in that takes big documents, --host-profile photoshop); "
                 "nothing written";
        return false;
    }
    const uint64_t samples = uint64_t(info.width) * uint64_t(info.height) * uint64_t(info.channels);
    const uint64_t bytes = samples * uint64_t(info.bits / 8);
    const std::string shape = path + " (" + std::to_string(info.width) + " x " + std::to_string(info.height) + ", " +
                              std::to_string(info.channels) + " channels at " + std::to_string(info.bits) +
                              " bits: " + Megabytes(bytes) + ", held twice by the host)";
    if (bytes > uint64_t(PTRDIFF_MAX)) {
        *error = "out of memory: this process cannot hold " + shape;
        return false;
    }
    origin->chunks.clear();
    try {
        origin->otherValue.clear();
        origin->otherValue.shrink_to_fit();
        // Room for the whole image; its rows are made as the data reaches
        // them (a short file claiming a huge size costs no memory).
        document->Reserve(info.width, info.height, info.channels, info.bits);
        if (info.bits == 16) origin->otherValue.reserve(size_t((samples + 7) / 8));
    } catch (const std::bad_alloc&) {
        document->data = std::vector<uint8_t>();
        *error = "out of memory for " + shape;
        return false;
    }
    const bool grey = info.channels < 3;
    document->imageMode = int16_t(grey ? (info.bits == 16 ? 10 : 1) : (info.bits == 16 ? 11 : 3));
    origin->width = info.width, origin->height = info.height;
    origin->channels = info.channels, origin->bits = info.bits;

    const size_t channels = size_t(info.channels), width = size_t(info.width);
    bool read;
    // Rows 0 to y made, and for 16 bits their samples' bits of the other value.
    std::vector<uint8_t>& otherBits = origin->otherValue;
    const auto reach = [&](int y) {
        document->ReachRow(y);
        if (info.bits != 16) return;
        const size_t end = ((size_t(y) + 1) * width * channels + 7) / 8;
        if (otherBits.size() < end) otherBits.resize(end);
    };
    if (info.bits == 8) {
        read = reader.ReadRows(
            [&](int y, int x0, int step, int count, const uint16_t* s) {
                reach(y);
                uint8_t* to = document->data.data() + (size_t(y) * width + size_t(x0)) * channels;
                for (int i = 0; i < count; ++i, to += size_t(step) * channels)
                    for (size_t c = 0; c < channels; ++c) to[c] = uint8_t(*s++);
            },
            error);
    } else {
        read = reader.ReadRows(
            [&](int y, int x0, int step, int count, const uint16_t* s) {
                reach(y);
                auto* base = reinterpret_cast<uint16_t*>(document->data.data());
                uint8_t* other = otherBits.data();
                size_t i = (size_t(y) * width + size_t(x0)) * channels;
                if (step == 1) return ReadRow16(s, size_t(count) * channels, i, base + i, other);
                // A pass of an interlaced file: each pixel's samples on their own.
                for (int p = 0; p < count; ++p, i += size_t(step) * channels, s += channels)
                    ReadRow16(s, channels, i, base + i, other);
            },
            error);
    }
    if (!read) return false;
    document->ReachRow(info.height - 1);
    if (info.bits == 16) otherBits.resize(size_t((samples + 7) / 8));
    origin->chunks = reader.keptChunks();
    return true;
}

bool WritePng(const std::string& path, const DocumentPng& png, std::string* error, PngCompression compression) {
    const Document &result = png.result, &original = png.original;
    const PngOrigin& origin = png.origin;
    std::string why;
    if (!FitsOrigin(result, original, origin, &why)) {
        *error = "cannot write " + path + ": " + why;
        return false;
    }
    PngWriter writer(compression);
    writer.KeepChunks(origin.chunks);
    if (!writer.Open(path, origin.width, origin.height, origin.channels, origin.bits, error)) return false;
    const size_t rowBytes = result.rowBytes();
    if (origin.bits == 8) {
        // The document's rows are the file's rows.
        for (int y = 0; y < origin.height; ++y)
            if (!writer.WriteRow(result.data.data() + size_t(y) * rowBytes, error)) return false;
        return writer.Finish(error);
    }
    std::vector<uint8_t> row(rowBytes);
    const size_t perRow = size_t(origin.width) * origin.channels;
    const auto* now = reinterpret_cast<const uint16_t*>(result.data.data());
    const auto* before = reinterpret_cast<const uint16_t*>(original.data.data());
    size_t i = 0;
    for (int y = 0; y < origin.height; ++y) {
        uint8_t* to = row.data();
        for (size_t x = 0; x < perRow; ++x, ++i) {
            const uint16_t v = ResultFileValue16(now[i], before[i], origin.Other(i));
            *to++ = uint8_t(v >> 8);  // PNG stores big-endian
            *to++ = uint8_t(v);
        }
        if (!writer.WriteRow(row.data(), error)) return false;
    }
    return writer.Finish(error);
}

bool PngRowsFromResult(Document* result, const Document& original, const PngOrigin& origin, PngRows* rows,
                       std::string* error) {
    if (!FitsOrigin(*result, original, origin, error)) return false;
    if (origin.bits == 16) {
        // Each sample's two bytes become its file value's, big-endian, in place.
        uint8_t* bytes = result->data.data();
        const auto* before = reinterpret_cast<const uint16_t*>(original.data.data());
        const size_t samples = result->data.size() / 2;
        for (size_t i = 0; i < samples; ++i, bytes += 2) {
            uint16_t now;
            std::memcpy(&now, bytes, 2);
            const uint16_t v = ResultFileValue16(now, before[i], origin.Other(i));
            bytes[0] = uint8_t(v >> 8);
            bytes[1] = uint8_t(v);
        }
    }
    rows->width = origin.width, rows->height = origin.height;
    rows->channels = origin.channels, rows->bits = origin.bits;
    rows->bytes = std::move(result->data);
    rows->chunks = origin.chunks;
    *result = Document();
    return true;
}

bool WritePngRows(const std::string& path, const PngRows& rows, std::string* error, PngCompression compression,
                  int threads) {
    PngWriter writer(compression);
    writer.KeepChunks(rows.chunks);
    if (!writer.Open(path, rows.width, rows.height, rows.channels, rows.bits, error)) return false;
    if (rows.bytes.size() != writer.rowBytes() * size_t(rows.height)) {
        *error = "cannot write " + path + ": the rows do not fill the image";
        return false;
    }
    return writer.WriteRows(rows.bytes.data(), threads, error) && writer.Finish(error);
}

}  // namespace filterhost
