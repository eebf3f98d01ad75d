// PNG files in grey, grey + alpha, RGB and RGBA at 8 and 16 bits. Reading goes
// through stb_image; writing is our own (stb writes 8-bit PNG only), a plain
// encoder over zlib: filter 0 on every row, one IDAT chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace filterhost {

struct PngImage {
    int width = 0, height = 0;
    int channels = 0;  // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int bits = 8;      // 8 or 16
    std::vector<uint16_t> samples;  // file values (0..255 or 0..65535), interleaved
};

bool ReadPng(const std::string& path, PngImage* image, std::string* error);
bool WritePng(const std::string& path, const PngImage& image, std::string* error);
std::vector<uint8_t> EncodePng(const PngImage& image);

}  // namespace filterhost
