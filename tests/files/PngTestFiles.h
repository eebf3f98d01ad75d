// PNG files built by the tests themselves, independently of the host's
// writer: any colour type and depth, Adam7 or not, every filter type in turn,
// extra chunks, IDAT split in pieces, and the zlib stream open to tampering.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tavirel::test {

using Bytes = std::vector<uint8_t>;

struct TestPng {
    int width = 1, height = 1;
    int depth = 8, colourType = 2;
    bool interlaced = false;
    // Per pixel the file's samples (palette: the index), row by row.
    std::vector<uint16_t> values;
    Bytes palette;                                      // RGB triples
    Bytes trns;                                         // the tRNS chunk's data, when not empty
    std::vector<std::pair<std::string, Bytes>> before;  // chunks after IHDR (and PLTE), before IDAT
    std::vector<std::pair<std::string, Bytes>> after;   // chunks after IDAT, before IEND
    int idatPieces = 1;

    int fileChannels() const {
        return colourType == 0 || colourType == 3 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4;
    }
};

inline void Put32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

inline void AddChunk(Bytes& out, const std::string& type, const Bytes& data) {
    Put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// The scanlines as the file holds them before compression: pass by pass,
// each row with a filter byte; row r of a pass uses filter type r % 5.
inline Bytes Scanlines(const TestPng& png) {
    static const int x0s[7] = {0, 4, 0, 2, 0, 1, 0}, y0s[7] = {0, 0, 4, 0, 2, 0, 1};
    static const int dxs[7] = {8, 8, 4, 4, 2, 2, 1}, dys[7] = {8, 8, 8, 4, 4, 2, 2};
    const int channels = png.fileChannels();
    const int bitsPerPixel = png.depth * channels;
    const size_t step = size_t(bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1);
    Bytes out;
    int filter = 0;
    for (int pass = 0; pass < (png.interlaced ? 7 : 1); ++pass) {
        const int x0 = png.interlaced ? x0s[pass] : 0, y0 = png.interlaced ? y0s[pass] : 0;
        const int dx = png.interlaced ? dxs[pass] : 1, dy = png.interlaced ? dys[pass] : 1;
        const int w = png.width > x0 ? (png.width - x0 + dx - 1) / dx : 0;
        const int h = png.height > y0 ? (png.height - y0 + dy - 1) / dy : 0;
        if (w == 0 || h == 0) continue;
        const size_t rowBytes = (size_t(w) * bitsPerPixel + 7) / 8;
        Bytes previous(rowBytes, 0);
        for (int r = 0; r < h; ++r, ++filter) {
            Bytes raw(rowBytes, 0);
            const int y = y0 + r * dy;
            for (int i = 0; i < w; ++i) {
                const int x = x0 + i * dx;
                for (int c = 0; c < channels; ++c) {
                    const uint16_t v = png.values[(size_t(y) * png.width + x) * channels + c];
                    if (png.depth == 16) {
                        raw[(size_t(i) * channels + c) * 2] = uint8_t(v >> 8);
                        raw[(size_t(i) * channels + c) * 2 + 1] = uint8_t(v);
                    } else if (png.depth == 8) {
                        raw[size_t(i) * channels + c] = uint8_t(v);
                    } else {
                        const size_t bit = size_t(i) * png.depth;
                        raw[bit / 8] = uint8_t(raw[bit / 8] | v << (8 - png.depth - bit % 8));
                    }
                }
            }
            const int f = filter % 5;
            out.push_back(uint8_t(f));
            for (size_t i = 0; i < rowBytes; ++i) {
                const int a = i >= step ? raw[i - step] : 0, b = previous[i], c = i >= step ? previous[i - step] : 0;
                int predicted = 0;
                if (f == 1) predicted = a;
                if (f == 2) predicted = b;
                if (f == 3) predicted = (a + b) / 2;
                if (f == 4) {
                    const int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p,
                              pc = p > c ? p - c : c - p;
                    predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                }
                out.push_back(uint8_t(raw[i] - predicted));
            }
            previous = raw;
        }
    }
    return out;
}

inline Bytes Compress(const Bytes& raw, int level = 6) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes packed(size);
    compress2(packed.data(), &size, raw.data(), uLong(raw.size()), level);
    packed.resize(size);
    return packed;
}

// The whole file around this zlib stream (by default the image's own).
inline Bytes BuildPng(const TestPng& png, const Bytes& stream) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Put32(header, uint32_t(png.width));
    Put32(header, uint32_t(png.height));
    header.insert(header.end(), {uint8_t(png.depth), uint8_t(png.colourType), 0, 0, uint8_t(png.interlaced ? 1 : 0)});
    AddChunk(out, "IHDR", header);
    if (!png.palette.empty()) AddChunk(out, "PLTE", png.palette);
    if (!png.trns.empty()) AddChunk(out, "tRNS", png.trns);
    for (const auto& [type, data] : png.before) AddChunk(out, type, data);
    const size_t piece = (stream.size() + png.idatPieces - 1) / png.idatPieces;
    for (size_t at = 0; at < stream.size() || at == 0; at += piece) {
        AddChunk(out, "IDAT", Bytes(stream.begin() + at, stream.begin() + std::min(stream.size(), at + piece)));
        if (piece == 0) break;
    }
    for (const auto& [type, data] : png.after) AddChunk(out, type, data);
    AddChunk(out, "IEND", {});
    return out;
}

inline Bytes BuildPng(const TestPng& png) { return BuildPng(png, Compress(Scanlines(png))); }

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace tavirel::test
