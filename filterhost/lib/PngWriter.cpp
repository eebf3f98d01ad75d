#include "PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "FilePaths.h"
#include "PngChunks.h"
#include "RowDeflater.h"

namespace filterhost {

using namespace png;

namespace {

constexpr size_t kOutputPiece = 65536;  // compressed bytes written at a time

}  // namespace

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

    std::vector<PngKeptChunk> kept;  // written unchanged around the image data

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
        *error = "cannot write " + path + " (" + WriteErrorText(path) + ")";
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

    // The kept chunks that go before the image data, or after it: those that
    // stood after it and may stand there.
    bool WriteKept(bool afterImageData, std::string* error) {
        for (const PngKeptChunk& c : kept)
            if ((c.afterImageData && OneOf(c.type, kAllowedAfterImageData)) == afterImageData &&
                !Chunk(c.type, c.data.data(), uint32_t(c.data.size()), error))
                return false;
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

    bool Chunk(uint32_t type, const uint8_t* data, uint32_t n, std::string* error) {
        uint8_t head[8];
        Set32(head, n);
        Set32(head + 4, type);
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

void PngWriter::KeepChunks(std::vector<PngKeptChunk> chunks) { state_->kept = std::move(chunks); }

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
    s.open = s.Put(kSignature, 8, error) && s.Chunk(kIHDR, header, 13, error) && s.WriteKept(false, error);
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
    if (!s.WriteKept(true, error) || !s.Chunk(kIEND, nullptr, 0, error)) return false;
    if (s.file != nullptr) {
        std::FILE* f = s.file;
        s.file = nullptr;
        if (std::fclose(f) != 0) return s.WriteFailed(error);
    }
    return true;
}

std::vector<uint8_t>& PngWriter::bytes() { return state_->memory; }

}  // namespace filterhost
