// PNG files, read and written a row at a time over zlib.
//
// Reading takes every standard PNG: grey at 1, 2, 4, 8 and 16 bits, grey +
// alpha, RGB and RGBA at 8 and 16 bits, palette images (to RGB, or RGBA when
// a tRNS chunk gives alpha), a tRNS colour key on grey or RGB (an alpha
// channel is added), and Adam7 interlacing. Grey below 8 bits is scaled to
// 0..255 (times 255, 85 or 17). Every chunk's CRC, the zlib stream with its
// Adler-32, and the amount of image data are checked: a file that fails any
// of them is refused as damaged, never decoded into wrong pixels.
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
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PngRowFilters.h"
#include "RowDeflater.h"

namespace filterhost {

// The image as the reader hands it over.
struct PngInfo {
    int width = 0, height = 0;
    int channels = 0;  // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int bits = 8;      // 8 or 16
    bool interlaced = false;
};

// A whole image in memory, for small images (tests, screenshots, examples).
struct PngImage {
    int width = 0, height = 0;
    int channels = 0;               // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int bits = 8;                   // 8 or 16
    std::vector<uint16_t> samples;  // file values (0..255 or 0..65535), interleaved
};

// Pixels x0, x0 + step, ... (count of them) of row y, as file values
// (0..255 or 0..65535), channels interleaved. An interlaced file hands over
// each row of each pass; a plain one each row once, top to bottom, step 1.
using PngRowSink = std::function<void(int y, int x0, int step, int count, const uint16_t* samples)>;

class PngReader {
public:
    PngReader();
    ~PngReader();
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Opens the file and reads the chunks before the image data. False, with a
    // message naming the file, when it cannot be read, is no PNG, uses
    // something this reader does not know, or is damaged up to there.
    bool Open(const std::string& path, std::string* error);
    const PngInfo& info() const { return info_; }
    // Decodes every row into the sink and reads on to IEND, checking every
    // chunk. The sink may have seen rows of a file that then turns out damaged.
    bool ReadRows(const PngRowSink& sink, std::string* error);

private:
    struct State;
    std::unique_ptr<State> state_;
    PngInfo info_;
};

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

bool ReadPng(const std::string& path, PngImage* image, std::string* error);
bool WritePng(const std::string& path, const PngImage& image, std::string* error,
              PngCompression compression = PngCompression::Default);
std::vector<uint8_t> EncodePng(const PngImage& image,
                               const PngEncoding& encoding = EncodingFor(PngCompression::Default));

}  // namespace filterhost
