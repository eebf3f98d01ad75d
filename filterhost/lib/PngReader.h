// PNG files read a row at a time over zlib.
//
// Reading takes every standard PNG: grey at 1, 2, 4, 8 and 16 bits, grey +
// alpha, RGB and RGBA at 8 and 16 bits, palette images (to RGB, or RGBA when
// a tRNS chunk gives alpha), a tRNS colour key on grey or RGB (an alpha
// channel is added; a key's bits above the sample depth are dropped, as
// libpng does), and Adam7 interlacing. Grey below 8 bits is scaled to 0..255
// (times 255, 85 or 17). Every chunk's CRC, the zlib stream with its
// Adler-32, and the amount of image data are checked: a file that fails any
// of them is refused as damaged, never decoded into wrong pixels.
//
// The chunks that describe the image's colours and the picture (PngChunks.h
// names them) are kept as read, for the writer to carry into a result.
#pragma once

#include <cstdint>
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

// An ancillary chunk kept from the file, its data as read (CRC checked).
struct PngKeptChunk {
    uint32_t type = 0;  // four letters, big-endian: 'iCCP' is 0x69434350
    std::vector<uint8_t> data;
    bool afterImageData = false;  // it stood after the IDAT chunks
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
    // The colour and picture chunks in file order: those before the image
    // data once Open has succeeded, those after it too once ReadRows has.
    // A chunk of over 64 MiB is not kept (nor more than 64 MiB in all).
    const std::vector<PngKeptChunk>& keptChunks() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    PngInfo info_;
};

}  // namespace filterhost
