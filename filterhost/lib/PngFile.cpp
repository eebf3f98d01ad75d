#include "PngFile.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <memory>
#include <new>
#include <thread>

#include "FilePaths.h"
#include "RowDeflater.h"

namespace filterhost {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kInputPiece = 65536;   // file bytes read at a time
constexpr size_t kOutputPiece = 65536;  // compressed bytes written at a time

constexpr uint32_t Type(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
           uint32_t(uint8_t(name[3]));
}
constexpr uint32_t kIHDR = Type("IHDR"), kPLTE = Type("PLTE"), kTRNS = Type("tRNS"), kIDAT = Type("IDAT"),
                   kIEND = Type("IEND");

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void Set32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}

std::string TypeName(uint32_t type) {
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(type >> shift);
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? std::string(1, c) : "?";
    }
    return name;
}

// A chunk type is four ASCII letters; bit 5 of the first says "ancillary".
bool ValidType(uint32_t type) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        const uint8_t c = uint8_t(type >> shift);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}
bool Critical(uint32_t type) { return (type & 0x20000000u) == 0; }

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}
bool Seek(std::FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, offset, whence) == 0;
#else
    return fseeko(f, off_t(offset), whence) == 0;
#endif
}

// Adam7: where each pass starts and how far apart its pixels lie.
constexpr int kPassX0[7] = {0, 4, 0, 2, 0, 1, 0}, kPassY0[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr int kPassDx[7] = {8, 8, 4, 4, 2, 2, 1}, kPassDy[7] = {8, 8, 8, 4, 4, 2, 2};

int PassSize(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

// Grey below 8 bits onto 0..255: the value times 255 / (2^depth - 1).
constexpr uint16_t kGreyScale[9] = {0, 255, 85, 0, 17, 0, 0, 0, 1};

}  // namespace

// ---------------------------------------------------------------- reading

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
                for (uint32_t c = 0; c < n / 2; ++c) s.key[c] = uint16_t(data[2 * c] << 8 | data[2 * c + 1]);
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
        if (!s.EndChunk(error)) return false;
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
        if (!s.EndChunk(error) || !s.BeginChunk(error)) return false;
    }
}

// ---------------------------------------------------------------- writing

// The three choices, measured with bench/png-encode.sh on generated
// photograph-like RGB images (every hue, gradients, noise) at 1024 and 4096
// pixels square, 8 and 16 bits, against the writer before (filter 0, zlib
// level 6) and GEGL's png-save (libpng: a filter chosen per row, level 3):
//   default  the per-row choice and our coder: 8 to 9 times the old speed at
//            8 bits, 3.6 to 6.4 at 16 under Wine (2.9 to 6.8 natively);
//            files 47 % smaller at 8 bits, 20 to 45 % at 16, and smaller
//            than GEGL's: by 13 % at 8 bits, 0.4 to 4 % at 16, and by 4 to
//            5 % on the 16-bit results of bench/versus-gegl.sh. No zlib
//            setting does both: its Huffman-only and RLE modes on the same
//            rows come within 1 % of our sizes at a half to a third of our
//            speed and are still larger than GEGL's at 16 bits (a block of
//            theirs ends every 16K or 32K symbols, and its tables cost more
//            than ours in 256 KB blocks); levels 1 to 3 are larger than RLE at
//            8 bits, and at 16 larger than GEGL's or no faster than the old
//            writer; 4 to 9 are slower than the old writer.
//   fast     Up on every row and runs only: 1.1 to 1.3 times default's speed
//            at 8 bits, 1.3 to 2.7 at 16; files 4 to 5 % larger.
//   small    default with zlib level 9 as every block's rival: never larger
//            than default, as large on photographs (up to 2 % smaller at 16
//            bits), 17 to 45 % smaller on noise-free gradients (measured
//            apart); 9 to 25 times slower.
PngEncoding EncodingFor(PngCompression compression) {
    PngEncoding e;
    switch (compression) {
        case PngCompression::Fast:
            e.perRow = false, e.filter = PngFilterType::Up;
            e.rows.matches = false;
            break;
        case PngCompression::Default: break;
        case PngCompression::Small:
            e.rows.rivalLevel = 9, e.rows.rivalStrategy = Z_DEFAULT_STRATEGY, e.rows.rivalMemLevel = 9;
            break;
    }
    return e;
}

namespace {

// Gives our coder n bytes, handing the output of each block they fill to
// put(bytes, count), which returns false to stop (its failure is the caller's).
template <typename Put>
bool TakeBytes(RowDeflater& deflater, const uint8_t* data, size_t n, Put put) {
    while (n > 0) {
        const size_t took = deflater.Take(data, n);
        data += took, n -= took;
        if (!deflater.full()) break;
        deflater.CodeBlock(false);
        const bool ok = put(deflater.output(), deflater.outputSize());
        deflater.ClearOutput();
        if (!ok) return false;
    }
    return true;
}

// The writer's rows while it filters them: the row being written and the one
// before it as given, each after bpp zero bytes (the filters' left neighbours
// of the first pixel); and the filtered row, one per filter type when each
// row chooses, each after its filter type byte.
class RowFilterScratch {
public:
    bool Allocate(const PngEncoding& encoding, size_t rowBytes, size_t bpp) {
        encoding_ = &encoding;
        rowBytes_ = rowBytes, bpp_ = bpp;
        const int copies = encoding.perRow ? kPngFilterTypes : 1;
        const size_t rawRow = bpp + rowBytes, filteredRow = 1 + rowBytes;
        try {
            raw_.assign(2 * rawRow, 0);
            filtered_.resize(copies * filteredRow);
        } catch (const std::bad_alloc&) {
            return false;
        }
        current_ = raw_.data() + bpp;
        previous_ = raw_.data() + rawRow + bpp;
        for (int i = 0; i < copies; ++i) {
            candidates_[i] = filtered_.data() + i * filteredRow + 1;
            candidates_[i][-1] = uint8_t(encoding.perRow ? i : int(encoding.filter));
        }
        return true;
    }
    // The row above the next one, for a part that starts below the image's top.
    void SetAbove(const uint8_t* row) { std::memcpy(previous_, row, rowBytes_); }
    // The row filtered: its filter type byte and then its bytes.
    const uint8_t* Filter(const uint8_t* row) {
        std::memcpy(current_, row, rowBytes_);
        const PngRowPair pair{current_, previous_, rowBytes_, bpp_};
        const uint8_t* filtered = candidates_[0];
        if (encoding_->perRow)
            filtered = candidates_[int(ChooseRowFilter(pair, candidates_))];
        else
            FilterRow(encoding_->filter, pair, candidates_[0]);
        std::swap(current_, previous_);
        return filtered - 1;
    }

private:
    const PngEncoding* encoding_ = nullptr;
    size_t rowBytes_ = 0, bpp_ = 0;
    std::vector<uint8_t> raw_, filtered_;
    uint8_t *current_ = nullptr, *previous_ = nullptr;
    uint8_t* candidates_[kPngFilterTypes] = {};
};

// One part of a stream coded on a thread of its own: rows first..end of the
// image, the row above first given, its compressed bytes collected here.
struct StreamPart {
    const PngEncoding* encoding = nullptr;
    const uint8_t* rows = nullptr;  // the whole image's rows, back to back
    size_t rowBytes = 0, bpp = 0;
    int sampleBytes = 1;
    int first = 0, end = 0;
    // Results: false when memory ran short.
    bool ok = false;
    std::vector<std::vector<uint8_t>> out;  // a piece a block: no vector grows by copying
    uint32_t adler = 1;
    uint64_t length = 0;  // bytes taken, filter type bytes included

    void Code() {
        RowFilterScratch scratch;
        RowDeflater deflater;
        if (!scratch.Allocate(*encoding, rowBytes, bpp) ||
            !deflater.Open(encoding->rows, 1 + rowBytes, sampleBytes, first == 0))
            return;
        if (first > 0) scratch.SetAbove(rows + size_t(first - 1) * rowBytes);
        try {
            const auto keep = [this](const uint8_t* bytes, size_t count) {
                out.emplace_back(bytes, bytes + count);
                return true;
            };
            for (int y = first; y < end; ++y)
                TakeBytes(deflater, scratch.Filter(rows + size_t(y) * rowBytes), 1 + rowBytes, keep);
            deflater.EndPart();
            out.emplace_back(deflater.output(), deflater.output() + deflater.outputSize());
        } catch (const std::bad_alloc&) {
            return;
        }
        adler = deflater.adler();
        length = uint64_t(end - first) * (1 + rowBytes);
        ok = true;
    }
};

}  // namespace

struct PngWriter::State {
    std::string path;
    std::FILE* file = nullptr;
    std::vector<uint8_t> memory;
    uint64_t written = 0;

    PngEncoding encoding;
    int width = 0, height = 0, rows = 0;
    size_t rowBytes = 0, bpp = 0;
    int sampleBytes = 1;
    bool open = false;  // rows may come (Open succeeded, Finish not yet called)
    RowDeflater rowDeflater;
    z_stream zs{};
    bool zlibOpen = false;
    std::vector<uint8_t> out;

    RowFilterScratch scratch;  // allocated at Open
    bool streamEnded = false;  // WriteRows has ended the compressed stream

    uint32_t idatLimit;
    bool chunkOpen = false;
    uint64_t chunkStart = 0;  // where the open chunk's length field lies
    uint32_t chunkLength = 0, crc = 0;

    State(const PngEncoding& e, uint32_t limit) : encoding(e), idatLimit(limit) {}
    ~State() {
        if (zlibOpen) deflateEnd(&zs);
        if (file != nullptr) std::fclose(file);
    }

    bool WriteFailed(std::string* error) {
        *error = "cannot write " + path + " (" + std::strerror(errno) + ")";
        return false;
    }

    bool Put(const void* data, size_t n, std::string* error) {
        if (file == nullptr) {
            const auto* p = static_cast<const uint8_t*>(data);
            memory.insert(memory.end(), p, p + n);
        } else if (std::fwrite(data, 1, n, file) != n) {
            return WriteFailed(error);
        }
        written += n;
        return true;
    }

    // The length field of a chunk whose data is written by now.
    bool Patch(uint64_t at, uint32_t value, std::string* error) {
        uint8_t bytes[4];
        Set32(bytes, value);
        if (file == nullptr) {
            std::memcpy(memory.data() + at, bytes, 4);
            return true;
        }
        if (!Seek(file, int64_t(at), SEEK_SET) || std::fwrite(bytes, 1, 4, file) != 4 || !Seek(file, 0, SEEK_END) ||
            uint64_t(Tell(file)) != written)
            return WriteFailed(error);
        return true;
    }

    bool Chunk(const char* type, const uint8_t* data, uint32_t n, std::string* error) {
        uint8_t head[8];
        Set32(head, n);
        std::memcpy(head + 4, type, 4);
        uLong c = crc32(0, head + 4, 4);
        if (n > 0) c = crc32(c, data, n);
        uint8_t tail[4];
        Set32(tail, uint32_t(c));
        return Put(head, 8, error) && (n == 0 || Put(data, n, error)) && Put(tail, 4, error);
    }

    bool CloseIdat(std::string* error) {
        uint8_t tail[4];
        Set32(tail, crc);
        chunkOpen = false;
        return Put(tail, 4, error) && Patch(chunkStart, chunkLength, error);
    }

    // Compressed bytes into IDAT chunks, opening one as needed; the length is
    // filled in when the chunk closes.
    bool Emit(const uint8_t* data, size_t n, std::string* error) {
        while (n > 0) {
            if (!chunkOpen) {
                const uint8_t head[8] = {0, 0, 0, 0, 'I', 'D', 'A', 'T'};
                chunkStart = written;
                if (!Put(head, 8, error)) return false;
                crc = uint32_t(crc32(0, head + 4, 4));
                chunkLength = 0;
                chunkOpen = true;
            }
            const size_t take = std::min<size_t>(n, idatLimit - chunkLength);
            if (!Put(data, take, error)) return false;
            crc = uint32_t(crc32(crc, data, uInt(take)));
            chunkLength += uint32_t(take);
            data += take, n -= take;
            if (chunkLength == idatLimit && !CloseIdat(error)) return false;
        }
        return true;
    }

    // Through our own coder: its output after each full block, and at the end.
    bool DeflateRows(const uint8_t* data, size_t n, bool finish, std::string* error) {
        const auto emit = [this, error](const uint8_t* bytes, size_t count) { return Emit(bytes, count, error); };
        if (!TakeBytes(rowDeflater, data, n, emit)) return false;
        if (!finish) return true;
        rowDeflater.CodeBlock(true);
        return Emit(rowDeflater.output(), rowDeflater.outputSize(), error);
    }

    bool Deflate(const uint8_t* data, size_t n, int flush, std::string* error) {
        if (encoding.deflater == PngDeflater::Rows) return DeflateRows(data, n, flush == Z_FINISH, error);
        zs.next_in = const_cast<uint8_t*>(data);
        zs.avail_in = uInt(n);
        for (;;) {
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            const int status = deflate(&zs, flush);
            if (status == Z_STREAM_ERROR) {
                *error = "the compressor failed while writing " + path;
                return false;
            }
            if (!Emit(out.data(), out.size() - zs.avail_out, error)) return false;
            if (flush == Z_FINISH ? status == Z_STREAM_END : (zs.avail_in == 0 && zs.avail_out > 0)) return true;
        }
    }
};

PngWriter::PngWriter(PngCompression compression, uint32_t idatLimit) : PngWriter(EncodingFor(compression), idatLimit) {}
PngWriter::PngWriter(const PngEncoding& encoding, uint32_t idatLimit)
    : state_(std::make_unique<State>(encoding, std::max<uint32_t>(1, idatLimit))) {}
PngWriter::~PngWriter() = default;

bool PngWriter::Open(const std::string& path, int width, int height, int channels, int bits, std::string* error) {
    static const uint8_t kColourType[5] = {0, 0, 4, 2, 6};
    State& s = *state_;
    s.path = path.empty() ? "the PNG in memory" : path;
    if (width <= 0 || height <= 0 || channels < 1 || channels > 4 || (bits != 8 && bits != 16)) {
        *error = "cannot write " + s.path + ": no PNG has that shape";
        return false;
    }
    s.width = width, s.height = height;
    s.sampleBytes = bits / 8;
    s.bpp = size_t(channels) * size_t(s.sampleBytes);
    s.rowBytes = size_t(width) * s.bpp;
    const PngEncoding& e = s.encoding;
    if (s.rowBytes > PTRDIFF_MAX / 8) {
        *error = "cannot write " + s.path + ": its rows are too long for this host";
        return false;
    }
    bool allocated = s.scratch.Allocate(e, s.rowBytes, s.bpp);
    try {
        s.out.resize(kOutputPiece);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        *error = "out of memory for the rows of " + s.path;
        return false;
    }
    static const int kStrategy[4] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_HUFFMAN_ONLY};
    if (e.deflater == PngDeflater::Rows) {
        if (!s.rowDeflater.Open(e.rows, 1 + s.rowBytes, s.sampleBytes)) {
            *error = "out of memory for the compressor of " + s.path;
            return false;
        }
    } else {
        if (deflateInit2(&s.zs, e.level, Z_DEFLATED, 15, e.memLevel, kStrategy[int(e.strategy)]) != Z_OK) {
            *error = "out of memory for the compressor of " + s.path;
            return false;
        }
        s.zlibOpen = true;
    }
    if (!path.empty()) {
        s.file = OpenFile(path, "wb");
        if (s.file == nullptr) {
            *error = "cannot create " + path + " (" + std::strerror(errno) + ")";
            return false;
        }
    }
    uint8_t header[13];
    Set32(header, uint32_t(width));
    Set32(header + 4, uint32_t(height));
    header[8] = uint8_t(bits);
    header[9] = kColourType[channels];
    header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, no interlace
    s.open = s.Put(kSignature, 8, error) && s.Chunk("IHDR", header, 13, error);
    return s.open;
}

size_t PngWriter::rowBytes() const { return state_->rowBytes; }

bool PngWriter::WriteRow(const uint8_t* row, std::string* error) {
    State& s = *state_;
    if (!s.open || s.rows >= s.height) {
        *error = "cannot write " + s.path + ": more rows than the image has";
        return false;
    }
    ++s.rows;
    return s.Deflate(s.scratch.Filter(row), 1 + s.rowBytes, Z_NO_FLUSH, error);
}

bool PngWriter::WriteRows(const uint8_t* rows, int threads, std::string* error) {
    State& s = *state_;
    if (!s.open || s.rows != 0) {
        *error = "cannot write " + s.path + ": rows were written already";
        return false;
    }
    // The parts follow from the image and the encoding alone, so a file is
    // the same whatever number of threads wrote it. A part has 16 rows at
    // least: below that its fresh window and block tables would cost more.
    const uint64_t bytes = uint64_t(s.height) * (1 + s.rowBytes);
    const size_t partBytes = s.encoding.partBytes;
    const int parts = s.encoding.deflater != PngDeflater::Rows || partBytes == 0
                          ? 1
                          : int(std::max<uint64_t>(1, std::min<uint64_t>(bytes / partBytes, uint64_t(s.height) / 16)));
    if (parts == 1) {
        for (int y = 0; y < s.height; ++y)
            if (!WriteRow(rows + size_t(y) * s.rowBytes, error)) return false;
        return true;
    }
    // Threads take the next part not yet taken, this one too; after each
    // part it codes, and once the others are done, this one writes out the
    // coded parts whose turn has come, in order, and lets each go.
    std::vector<StreamPart> coded;
    std::unique_ptr<std::atomic<bool>[]> ready;
    std::vector<std::thread> helpers;
    try {
        coded.resize(size_t(parts));
        ready.reset(new std::atomic<bool>[size_t(parts)]);
        helpers.reserve(size_t(std::max(0, std::min(threads, parts) - 1)));
    } catch (const std::bad_alloc&) {
        *error = "out of memory for the compressor of " + s.path;
        return false;
    }
    for (int k = 0; k < parts; ++k) {
        StreamPart& part = coded[size_t(k)];
        part.encoding = &s.encoding;
        part.rows = rows, part.rowBytes = s.rowBytes, part.bpp = s.bpp;
        part.sampleBytes = s.sampleBytes;
        part.first = int(int64_t(s.height) * k / parts), part.end = int(int64_t(s.height) * (k + 1) / parts);
        ready[size_t(k)] = false;
    }
    std::atomic<int> next{0};
    const auto codeParts = [&coded, &ready, &next, parts](bool once) {
        for (int k; (k = next.fetch_add(1)) < parts;) {
            coded[size_t(k)].Code();
            ready[size_t(k)].store(true, std::memory_order_release);
            if (once) return;
        }
    };
    for (int t = 1; t < std::min(threads, parts); ++t) {
        try {
            helpers.emplace_back(codeParts, false);
        } catch (const std::exception&) {
            break;  // no more threads to be had: fewer code the parts
        }
    }
    uint32_t adler = 1;
    bool ok = true;
    int written = 0;
    const auto writeReady = [&]() {
        for (; ok && written < parts && ready[size_t(written)].load(std::memory_order_acquire); ++written) {
            StreamPart& part = coded[size_t(written)];
            if (!part.ok) {
                *error = "out of memory for the compressor of " + s.path;
                ok = false;
                break;
            }
            for (const std::vector<uint8_t>& piece : part.out)
                if (ok) ok = s.Emit(piece.data(), piece.size(), error);
            adler = written == 0 ? part.adler : uint32_t(adler32_combine(adler, part.adler, z_off_t(part.length)));
            part.out = std::vector<std::vector<uint8_t>>();
        }
    };
    while (ok && next.load() < parts) {
        codeParts(true);
        writeReady();
    }
    if (!ok) next.store(parts);  // the helpers take no new part
    for (std::thread& t : helpers) t.join();
    writeReady();
    if (!ok) return false;
    const std::vector<uint8_t> end = RowDeflater::StreamEnd(adler);
    if (!s.Emit(end.data(), end.size(), error)) return false;
    s.rows = s.height;
    s.streamEnded = true;
    return true;
}

bool PngWriter::Finish(std::string* error) {
    State& s = *state_;
    if (!s.open || s.rows != s.height) {
        *error = "cannot write " + s.path + ": " + std::to_string(s.rows) + " rows of " + std::to_string(s.height);
        return false;
    }
    s.open = false;
    if (!s.streamEnded && !s.Deflate(nullptr, 0, Z_FINISH, error)) return false;
    if (s.zlibOpen) deflateEnd(&s.zs);
    s.zlibOpen = false;
    if (s.chunkOpen && !s.CloseIdat(error)) return false;
    if (!s.Chunk("IEND", nullptr, 0, error)) return false;
    if (s.file != nullptr) {
        std::FILE* f = s.file;
        s.file = nullptr;
        if (std::fclose(f) != 0) return s.WriteFailed(error);
    }
    return true;
}

std::vector<uint8_t>& PngWriter::bytes() { return state_->memory; }

// ---------------------------------------------------------------- whole images

bool ReadPng(const std::string& path, PngImage* image, std::string* error) {
    PngReader reader;
    if (!reader.Open(path, error)) return false;
    const PngInfo& info = reader.info();
    const uint64_t count = uint64_t(info.width) * info.height * info.channels;
    if (count > PTRDIFF_MAX / 2) {
        *error = path + " is too large to hold in memory";
        return false;
    }
    image->width = info.width, image->height = info.height;
    image->channels = info.channels, image->bits = info.bits;
    try {
        image->samples.assign(size_t(count), 0);
    } catch (const std::bad_alloc&) {
        *error = "out of memory for the samples of " + path;
        return false;
    }
    const int channels = info.channels;
    const size_t width = size_t(info.width);
    uint16_t* out = image->samples.data();
    return reader.ReadRows(
        [&](int y, int x0, int step, int count, const uint16_t* samples) {
            uint16_t* to = out + (size_t(y) * width + size_t(x0)) * channels;
            for (int i = 0; i < count; ++i, to += size_t(step) * channels, samples += channels)
                std::copy(samples, samples + channels, to);
        },
        error);
}

namespace {

bool WriteImage(PngWriter& writer, const std::string& path, const PngImage& image, std::string* error) {
    if (!writer.Open(path, image.width, image.height, image.channels, image.bits, error)) return false;
    std::vector<uint8_t> row(writer.rowBytes());
    const size_t perRow = size_t(image.width) * image.channels;
    const uint16_t* v = image.samples.data();
    for (int y = 0; y < image.height; ++y) {
        uint8_t* to = row.data();
        for (size_t i = 0; i < perRow; ++i, ++v) {
            if (image.bits == 16) *to++ = uint8_t(*v >> 8);  // PNG stores big-endian
            *to++ = uint8_t(*v);
        }
        if (!writer.WriteRow(row.data(), error)) return false;
    }
    return writer.Finish(error);
}

}  // namespace

bool WritePng(const std::string& path, const PngImage& image, std::string* error, PngCompression compression) {
    if (image.samples.size() != size_t(image.width) * image.height * image.channels) {
        *error = "cannot write " + path + ": the samples do not fill the image";
        return false;
    }
    PngWriter writer(compression);
    return WriteImage(writer, path, image, error);
}

std::vector<uint8_t> EncodePng(const PngImage& image, const PngEncoding& encoding) {
    PngWriter writer(encoding);
    std::string error;
    if (image.samples.size() != size_t(image.width) * image.height * image.channels ||
        !WriteImage(writer, "", image, &error))
        return {};
    return std::move(writer.bytes());
}

}  // namespace filterhost
