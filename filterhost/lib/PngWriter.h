// PNG files written a row at a time.
//
// Writing filters every row, with the filter chosen row by row
// (PngRowFilters.h) or one for all, and compresses the rows through our own
// deflate coder (RowDeflater.h) or zlib, as a PngEncoding says; the three
// PngCompression choices a user has are such encodings. The compressed
// stream goes in one IDAT chunk (more only past 2^31 - 1 bytes). Through
// zlib at level 6 with filter None, a file is byte for byte what a one-shot
// compress2() of the rows gives, as the writer's files were before it
// filtered; tests and the benchmark keep that as their reference.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PngReader.h"
#include "PngRowFilters.h"
#include "RowDeflater.h"

namespace filterhost {

// What a user trades: smaller files or faster writing.
enum class PngCompression { Fast, Default, Small };

// deflate's match search, as zlib names it.
enum class PngStrategy { Default, Filtered, Rle, HuffmanOnly };

// Which deflate encoder writes the image data: our own (RowDeflater.h) or zlib.
enum class PngDeflater { Rows, Zlib };

// How the writer encodes: the rows' filter and the deflate encoder's settings.
struct PngEncoding {
    bool perRow = true;                          // each row's filter chosen by the heuristic
    PngFilterType filter = PngFilterType::None;  // every row's filter when not perRow
    PngDeflater deflater = PngDeflater::Rows;
    RowDeflaterSettings rows;  // Rows: block size, copies, a zlib rival
    int level = 6;             // Zlib: deflate's level, 0 (stored) to 9
    PngStrategy strategy = PngStrategy::Default;
    int memLevel = 8;  // Zlib: its memory level, 1 to 9
    // Rows: an image of at least twice this much input is coded in parts of
    // this many bytes or a little more (whole rows, 16 at least), which
    // threads can code side by side (PngWriter::WriteRows); 0 keeps one stream.
    size_t partBytes = size_t(8) << 20;
};

// The settings behind each compression choice (measured: see PngFile.cpp).
PngEncoding EncodingFor(PngCompression compression);

// Writes rows given as the file holds them (samples big-endian at 16 bits).
class PngWriter {
public:
    // idatLimit: the most data one IDAT chunk holds before another begins.
    explicit PngWriter(PngCompression compression = PngCompression::Default, uint32_t idatLimit = 0x7FFFFFFF);
    explicit PngWriter(const PngEncoding& encoding, uint32_t idatLimit = 0x7FFFFFFF);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Chunks kept from the file the image came from, written unchanged: after
    // IHDR, or before IEND for those that stood after the image data and may.
    // Call before Open.
    void KeepChunks(std::vector<PngKeptChunk> chunks);
    // Writes to a new file, or (path empty) appends to bytes().
    bool Open(const std::string& path, int width, int height, int channels, int bits, std::string* error);
    size_t rowBytes() const;
    bool WriteRow(const uint8_t* row, std::string* error);
    // Every row at once, rows back to back, instead of WriteRow: with our
    // coder and an image past the encoding's partBytes, its stream coded in
    // parts (row ranges whose copies do not reach back into the part before)
    // by up to `threads` threads, the file the same for any number of them;
    // else row by row, as WriteRow would. A coded part is held until the
    // parts before it are written.
    bool WriteRows(const uint8_t* rows, int threads, std::string* error);
    // After the last row: the stream's end, IEND, and the file closed.
    bool Finish(std::string* error);
    // The file in memory when Open had no path.
    std::vector<uint8_t>& bytes();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace filterhost
