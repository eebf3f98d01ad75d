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
// Writing is plain: filter 0 on every row, deflate level 6, the compressed
// stream in one IDAT chunk (more only past 2^31 - 1 bytes), so a file is
// byte for byte what a one-shot compress2() of the rows would give.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Writes rows given as the file holds them (samples big-endian at 16 bits).
class PngWriter {
public:
    // idatLimit: the most data one IDAT chunk holds before another begins.
    explicit PngWriter(uint32_t idatLimit = 0x7FFFFFFF);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Writes to a new file, or (path empty) appends to bytes().
    bool Open(const std::string& path, int width, int height, int channels, int bits, std::string* error);
    size_t rowBytes() const;
    bool WriteRow(const uint8_t* row, std::string* error);
    // After the last row: the stream's end, IEND, and the file closed.
    bool Finish(std::string* error);
    // The file in memory when Open had no path.
    std::vector<uint8_t>& bytes();

private:
    struct State;
    std::unique_ptr<State> state_;
};

bool ReadPng(const std::string& path, PngImage* image, std::string* error);
bool WritePng(const std::string& path, const PngImage& image, std::string* error);
std::vector<uint8_t> EncodePng(const PngImage& image);

}  // namespace filterhost
