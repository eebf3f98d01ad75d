#include "PngReader.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "FilePaths.h"
#include "PngChunks.h"
#include "PngRowFilters.h"

namespace filterhost {

using namespace png;

namespace {

constexpr size_t kInputPiece = 65536;  // file bytes read at a time
// The most bytes of kept chunks one file may bring, and so the largest one.
constexpr size_t kKeptBudget = size_t(64) << 20;

// Adam7: where each pass starts and how far apart its pixels lie.
constexpr int kPassX0[7] = {0, 4, 0, 2, 0, 1, 0}, kPassY0[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr int kPassDx[7] = {8, 8, 4, 4, 2, 2, 1}, kPassDy[7] = {8, 8, 8, 4, 4, 2, 2};

inline int PassSize(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

// Grey below 8 bits onto 0..255: the value times 255 / (2^depth - 1).
constexpr uint16_t kGreyScale[9] = {0, 255, 85, 0, 17, 0, 0, 0, 1};

}  // namespace

struct PngReader::State {
    std::string path;
    std::FILE* file = nullptr;
    uint64_t offset = 0;  // bytes of the file read so far

    int depth = 0, colourType = 0;
    int fileChannels = 0;  // samples a pixel in the file; 1 for palette indices
    uint8_t palette[256][4] = {};
    int paletteSize = 0;
    bool havePalette = false, haveTransparency = false;
    bool colourKey = false;  // tRNS on grey or RGB: this colour is transparent
    uint16_t key[3] = {};

    uint32_t chunkType = 0;
    uint32_t chunkLeft = 0;  // data bytes of the current chunk not yet read
    uint32_t crc = 0;
    bool inImageData = false;  // the current chunk is one of the IDAT run
    bool rowsRead = false;
    bool streamEnded = false;  // inflate has met the end of the zlib stream

    z_stream zs{};
    bool zlibOpen = false;
    std::vector<uint8_t> input;

    std::vector<PngKeptChunk> kept;
    size_t keptBytes = 0;

    ~State() {
        if (zlibOpen) inflateEnd(&zs);
        if (file != nullptr) std::fclose(file);
    }

    bool Fail(std::string* error, const std::string& what) {
        *error = path + " is damaged: " + what;
        return false;
    }

    bool Read(void* to, size_t n, std::string* error) {
        const size_t got = std::fread(to, 1, n, file);
        offset += got;
        if (got == n) return true;
        if (std::ferror(file)) {
            *error = "cannot read " + path + " (" + std::strerror(errno) + ")";
            return false;
        }
        return Fail(error, "it ends after " + std::to_string(offset) + " bytes, inside the " + TypeName(chunkType) +
                               " chunk (the file is truncated)");
    }

    // The next chunk's length and type; its data follows.
    bool BeginChunk(std::string* error) {
        uint8_t head[8];
        const size_t got = std::fread(head, 1, 8, file);
        offset += got;
        if (got != 8) {
            if (std::ferror(file)) {
                *error = "cannot read " + path + " (" + std::strerror(errno) + ")";
                return false;
            }
            return Fail(error, "it ends after " + std::to_string(offset) +
                                   " bytes, before its IEND chunk (the file is truncated)");
        }
        const uint32_t length = Get32(head);
        chunkType = Get32(head + 4);
        if (!ValidType(chunkType) || length > 0x7FFFFFFFu)
            return Fail(error, "no chunk begins at byte " + std::to_string(offset - 8));
        chunkLeft = length;
        crc = uint32_t(crc32(0, head + 4, 4));
        return true;
    }

    bool ReadData(uint8_t* to, size_t n, std::string* error) {
        if (!Read(to, n, error)) return false;
        crc = uint32_t(crc32(crc, to, uInt(n)));
        chunkLeft -= uint32_t(n);
        return true;
    }

    // An ancillary chunk: kept (PngChunks.h says which) while the kept ones
    // stay within their budget, else skipped; its CRC is checked either way.
    // The data grows piece by piece, as far as the file really holds it.
    bool KeepOrSkipChunk(bool afterImageData, std::string* error) {
        if (!OneOf(chunkType, kKeptTypes) || chunkLeft > kKeptBudget - keptBytes) return EndChunk(error);
        PngKeptChunk chunk;
        chunk.type = chunkType;
        chunk.afterImageData = afterImageData;
        uint8_t piece[4096];
        while (chunkLeft > 0) {
            const size_t n = std::min<size_t>(chunkLeft, sizeof piece);
            if (!ReadData(piece, n, error)) return false;
            chunk.data.insert(chunk.data.end(), piece, piece + n);
        }
        if (!EndChunk(error)) return false;
        keptBytes += chunk.data.size();
        kept.push_back(std::move(chunk));
        return true;
    }

    // Reads what is left of the chunk's data and checks its CRC.
    bool EndChunk(std::string* error) {
        uint8_t piece[4096];
        while (chunkLeft > 0)
            if (!ReadData(piece, std::min<size_t>(chunkLeft, sizeof piece), error)) return false;
        uint8_t stored[4];
        if (!Read(stored, 4, error)) return false;
        if (Get32(stored) != crc) return Fail(error, "the CRC of its " + TypeName(chunkType) + " chunk does not match");
        return true;
    }

    // Gives inflate more of the IDAT run: 1 when it has input, 0 when the
    // run is over (the next chunk's header is read), -1 on an error.
    int Feed(std::string* error) {
        while (inImageData && chunkLeft == 0) {
            if (!EndChunk(error) || !BeginChunk(error)) return -1;
            inImageData = chunkType == kIDAT;
        }
        if (!inImageData) return 0;
        const size_t n = std::min<size_t>(chunkLeft, input.size());
        if (!ReadData(input.data(), n, error)) return -1;
        zs.next_in = input.data();
        zs.avail_in = uInt(n);
        return 1;
    }

    bool InflateFailed(int status, std::string* error) {
        if (status == Z_MEM_ERROR) {
            *error = "out of memory while reading " + path;
            return false;
        }
        return Fail(error, std::string("its compressed image data is broken (zlib: ") +
                               (zs.msg != nullptr       ? zs.msg
                                : status == Z_NEED_DICT ? "asks for a dictionary"
                                                        : "error") +
                               ")");
    }

    // Exactly n bytes of the decompressed stream.
    bool Inflate(uint8_t* to, size_t n, std::string* error) {
        if (streamEnded) return Fail(error, "its compressed image data ends before the last row");
        zs.next_out = to;
        zs.avail_out = uInt(n);
        while (zs.avail_out > 0) {
            if (zs.avail_in == 0) {
                const int fed = Feed(error);
                if (fed < 0) return false;
                if (fed == 0) return Fail(error, "its image data ends early (rows are missing)");
            }
            const int status = inflate(&zs, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                streamEnded = true;
                if (zs.avail_out > 0) return Fail(error, "its compressed image data ends before the last row");
                break;
            }
            if (status != Z_OK && status != Z_BUF_ERROR) return InflateFailed(status, error);
        }
        return true;
    }

    // After the last row: the zlib stream must end there (its Adler-32 is
    // checked on the way), and nothing may follow it in the IDAT run.
    bool EndImageData(std::string* error) {
        while (!streamEnded) {
            uint8_t extra;
            zs.next_out = &extra;
            zs.avail_out = 1;
            if (zs.avail_in == 0) {
                const int fed = Feed(error);
                if (fed < 0) return false;
                if (fed == 0) return Fail(error, "its compressed image data stops before its end and checksum");
            }
            const int status = inflate(&zs, Z_NO_FLUSH);
            if (zs.avail_out == 0) return Fail(error, "it holds more image data than its size needs");
            streamEnded = status == Z_STREAM_END;
            if (streamEnded) break;
            if (status != Z_OK && status != Z_BUF_ERROR) return InflateFailed(status, error);
        }
        if (zs.avail_in > 0) return Fail(error, "bytes follow the end of its compressed image data");
        for (;;) {
            const int fed = Feed(error);
            if (fed < 0) return false;
            if (fed == 0) return true;
            if (zs.avail_in > 0) return Fail(error, "bytes follow the end of its compressed image data");
        }
    }

    int outChannels() const {
        if (colourType == 3) return haveTransparency ? 4 : 3;
        return fileChannels + (colourKey ? 1 : 0);
    }

    // One unfiltered row of n pixels into file values, channels expanded.
    void Expand(const uint8_t* row, int n, uint16_t* out) const {
        const int channels = outChannels();
        if (depth >= 8 && colourType != 3 && !colourKey) {
            // Samples as they stand, the common case, in one loop that vectorises.
            const size_t samples = size_t(n) * size_t(fileChannels);
            if (depth == 16)
                for (size_t k = 0; k < samples; ++k) out[k] = uint16_t(row[2 * k] << 8 | row[2 * k + 1]);
            else
                for (size_t k = 0; k < samples; ++k) out[k] = row[k];
            return;
        }
        if (depth == 16) {
            for (int x = 0; x < n; ++x, row += 2 * fileChannels, out += channels) {
                bool keyed = colourKey;
                for (int c = 0; c < fileChannels; ++c) {
                    out[c] = uint16_t(row[2 * c] << 8 | row[2 * c + 1]);
                    keyed = keyed && out[c] == key[c];
                }
                if (colourKey) out[fileChannels] = keyed ? 0 : 65535;
            }
            return;
        }
        if (depth == 8 && colourType != 3) {
            for (int x = 0; x < n; ++x, row += fileChannels, out += channels) {
                bool keyed = colourKey;
                for (int c = 0; c < fileChannels; ++c) {
                    out[c] = row[c];
                    keyed = keyed && out[c] == key[c];
                }
                if (colourKey) out[fileChannels] = keyed ? 0 : 255;
            }
            return;
        }
        // Grey or palette indices, 1 to 8 bits, the first pixel in the high bits.
        const int mask = (1 << depth) - 1;
        for (int x = 0; x < n; ++x, out += channels) {
            const int bit = x * depth;
            const int v = row[bit >> 3] >> (8 - depth - (bit & 7)) & mask;
            if (colourType == 3) {
                // An index past the palette's end is black and opaque.
                const uint8_t* entry = palette[v];
                for (int c = 0; c < channels; ++c) out[c] = v < paletteSize ? entry[c] : (c == 3 ? 255 : 0);
            } else {
                out[0] = uint16_t(v * kGreyScale[depth]);
                if (colourKey) out[1] = v == key[0] ? 0 : 255;
            }
        }
    }
};

PngReader::PngReader() = default;
PngReader::~PngReader() = default;

bool PngReader::Open(const std::string& path, std::string* error) {
    state_ = std::make_unique<State>();
    info_ = PngInfo{};
    State& s = *state_;
    s.path = path;
    s.file = OpenFile(path, "rb");
    if (s.file == nullptr) {
        *error = "cannot read " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    uint8_t signature[8];
    const size_t got = std::fread(signature, 1, 8, s.file);
    s.offset = got;
    if (std::ferror(s.file)) {
        *error = "cannot read " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    if (std::memcmp(signature, kSignature, got) != 0) {
        *error = path + " is not a PNG image";
        return false;
    }
    if (got < 8)
        return s.Fail(
            error, "it ends after " + std::to_string(got) + " bytes, inside the PNG signature (the file is truncated)");

    if (!s.BeginChunk(error)) return false;
    if (s.chunkType != kIHDR) return s.Fail(error, "its first chunk is " + TypeName(s.chunkType) + ", not IHDR");
    if (s.chunkLeft != 13) return s.Fail(error, "its IHDR chunk has " + std::to_string(s.chunkLeft) + " bytes, not 13");
    uint8_t header[13];
    if (!s.ReadData(header, 13, error) || !s.EndChunk(error)) return false;
    const uint32_t width = Get32(header), height = Get32(header + 4);
    s.depth = header[8];
    s.colourType = header[9];
    const bool depthFits =
        s.colourType == 0   ? (s.depth == 1 || s.depth == 2 || s.depth == 4 || s.depth == 8 || s.depth == 16)
        : s.colourType == 3 ? (s.depth == 1 || s.depth == 2 || s.depth == 4 || s.depth == 8)
        : (s.colourType == 2 || s.colourType == 4 || s.colourType == 6) ? (s.depth == 8 || s.depth == 16)
                                                                        : false;
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return s.Fail(error, "its header gives a size of " + std::to_string(width) + " x " + std::to_string(height));
    if (!depthFits)
        return s.Fail(error, "its header gives colour type " + std::to_string(s.colourType) + " at " +
                                 std::to_string(s.depth) + " bits, which PNG does not have");
    if (header[10] != 0 || header[11] != 0 || header[12] > 1)
        return s.Fail(error, "its header names an unknown compression, filter or interlace method");
    static const int kFileChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    s.fileChannels = kFileChannels[s.colourType];

    for (;;) {
        if (!s.BeginChunk(error)) return false;
        const uint32_t type = s.chunkType;
        if (type == kIDAT) break;
        if (type == kIHDR) return s.Fail(error, "it has a second IHDR chunk");
        if (type == kIEND) return s.Fail(error, "it has no image data (IEND before any IDAT chunk)");
        if (type == kPLTE) {
            if (s.havePalette || s.haveTransparency) return s.Fail(error, "its PLTE chunk comes twice or after tRNS");
            if (s.colourType == 0 || s.colourType == 4) return s.Fail(error, "it has a palette on a grey image");
            if (s.chunkLeft % 3 != 0 || s.chunkLeft == 0 || s.chunkLeft > 768)
                return s.Fail(error, "its PLTE chunk has " + std::to_string(s.chunkLeft) + " bytes");
            uint8_t entries[768];
            const uint32_t n = s.chunkLeft / 3;
            if (!s.ReadData(entries, s.chunkLeft, error) || !s.EndChunk(error)) return false;
            for (uint32_t i = 0; i < n; ++i)
                s.palette[i][0] = entries[3 * i], s.palette[i][1] = entries[3 * i + 1],
                s.palette[i][2] = entries[3 * i + 2], s.palette[i][3] = 255;
            s.paletteSize = int(n);
            s.havePalette = true;
            continue;
        }
        if (type == kTRNS) {
            if (s.haveTransparency) return s.Fail(error, "it has a second tRNS chunk");
            if (s.colourType == 4 || s.colourType == 6)
                return s.Fail(error, "it has a tRNS chunk on an image with alpha");
            if (s.colourType == 3 && !s.havePalette) return s.Fail(error, "its tRNS chunk comes before PLTE");
            const uint32_t expected = s.colourType == 0 ? 2 : s.colourType == 2 ? 6 : uint32_t(s.paletteSize);
            if (s.colourType == 3 ? s.chunkLeft > expected : s.chunkLeft != expected)
                return s.Fail(error, "its tRNS chunk has " + std::to_string(s.chunkLeft) + " bytes");
            uint8_t data[256];
            const uint32_t n = s.chunkLeft;
            if (!s.ReadData(data, n, error) || !s.EndChunk(error)) return false;
            if (s.colourType == 3) {
                for (uint32_t i = 0; i < n; ++i) s.palette[i][3] = data[i];
            } else {
                // A key wider than the samples keeps its low bits, as libpng
                // reads it: a 4-bit image's key 0x0013 is 3.
                const int keyMask = s.depth == 16 ? 0xFFFF : (1 << s.depth) - 1;
                for (uint32_t c = 0; c < n / 2; ++c)
                    s.key[c] = uint16_t((data[2 * c] << 8 | data[2 * c + 1]) & keyMask);
                s.colourKey = true;
            }
            s.haveTransparency = true;
            continue;
        }
        if (Critical(type)) {
            // A damaged type looks unknown too: the CRC tells them apart.
            if (!s.EndChunk(error)) return false;
            *error = path + " uses the PNG chunk " + TypeName(type) + ", which this reader does not know";
            return false;
        }
        if (!s.KeepOrSkipChunk(false, error)) return false;
    }
    if (s.colourType == 3 && !s.havePalette) return s.Fail(error, "it is a palette image without a PLTE chunk");
    s.inImageData = true;
    info_.width = int(width);
    info_.height = int(height);
    info_.channels = s.outChannels();
    info_.bits = s.depth == 16 ? 16 : 8;
    info_.interlaced = header[12] == 1;
    return true;
}

bool PngReader::ReadRows(const PngRowSink& sink, std::string* error) {
    if (!state_ || !state_->inImageData || state_->rowsRead) {
        *error = "no PNG file is open for reading";
        return false;
    }
    State& s = *state_;
    s.rowsRead = true;
    const int bitsPerPixel = s.depth * s.fileChannels;
    const size_t filterStep =
        size_t(std::max(1, bitsPerPixel / 8));  // bytes to the corresponding byte of the pixel to the left
    const uint64_t widest = (uint64_t(info_.width) * bitsPerPixel + 7) / 8;
    const uint64_t scratch = uint64_t(info_.width) * info_.channels;
    if (widest + 1 > PTRDIFF_MAX / 4 || scratch > PTRDIFF_MAX / 4) {
        *error = s.path + " is too wide for this host to read (" + std::to_string(info_.width) + " pixels)";
        return false;
    }
    // Each row buffer: 8 zero bytes (the filters' bytes left of the first
    // pixel, the last of them first holding the row's filter type), then the row.
    constexpr size_t kFront = 8;
    std::vector<uint8_t> previous, current;
    std::vector<uint16_t> samples;
    try {
        previous.resize(kFront + size_t(widest));
        current.resize(kFront + size_t(widest));
        samples.resize(size_t(scratch));
        s.input.resize(kInputPiece);
    } catch (const std::bad_alloc&) {
        *error = "out of memory for the rows of " + s.path;
        return false;
    }
    s.zs = z_stream{};
    if (inflateInit(&s.zs) != Z_OK) {
        *error = "out of memory for the decompressor of " + s.path;
        return false;
    }
    s.zlibOpen = true;

    const int passes = info_.interlaced ? 7 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int x0 = info_.interlaced ? kPassX0[pass] : 0, y0 = info_.interlaced ? kPassY0[pass] : 0;
        const int dx = info_.interlaced ? kPassDx[pass] : 1, dy = info_.interlaced ? kPassDy[pass] : 1;
        const int width = PassSize(info_.width, x0, dx), height = PassSize(info_.height, y0, dy);
        if (width == 0 || height == 0) continue;  // an empty pass has no rows, not even filter bytes
        const size_t rowBytes = size_t((uint64_t(width) * bitsPerPixel + 7) / 8);
        std::fill(previous.begin(), previous.begin() + kFront + rowBytes, 0);
        for (int r = 0; r < height; ++r) {
            if (!s.Inflate(current.data() + kFront - 1, rowBytes + 1, error)) return false;
            const uint8_t type = current[kFront - 1];
            current[kFront - 1] = 0;
            uint8_t* row = current.data() + kFront;
            if (!UnfilterRow(type, row, previous.data() + kFront, rowBytes, filterStep))
                return s.Fail(error, "row " + std::to_string(y0 + r * dy) + " has filter type " + std::to_string(type) +
                                         ", which PNG does not have");
            s.Expand(row, width, samples.data());
            sink(y0 + r * dy, x0, dx, width, samples.data());
            std::swap(previous, current);
        }
    }
    if (!s.EndImageData(error)) return false;
    inflateEnd(&s.zs);
    s.zlibOpen = false;

    // The chunks after the image data, up to IEND; the header of the first
    // of them has been read already.
    for (;;) {
        const uint32_t type = s.chunkType;
        if (type == kIEND) {
            if (s.chunkLeft != 0) return s.Fail(error, "its IEND chunk is not empty");
            return s.EndChunk(error);
        }
        if (type == kIDAT) return s.Fail(error, "its IDAT chunks are not all together");
        if (type == kIHDR || type == kPLTE || type == kTRNS)
            return s.Fail(error, "its " + TypeName(type) + " chunk comes after the image data");
        if (Critical(type)) {
            if (!s.EndChunk(error)) return false;
            *error = s.path + " uses the PNG chunk " + TypeName(type) + ", which this reader does not know";
            return false;
        }
        if (!s.KeepOrSkipChunk(true, error) || !s.BeginChunk(error)) return false;
    }
}

const std::vector<PngKeptChunk>& PngReader::keptChunks() const {
    static const std::vector<PngKeptChunk> none;
    return state_ ? state_->kept : none;
}

}  // namespace filterhost
