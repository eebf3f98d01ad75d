// PNG files as whole images in memory, for small images (tests, screenshots,
// examples); PngReader.h and PngWriter.h read and write them a row at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PngReader.h"
#include "PngWriter.h"

namespace filterhost {

// A whole image in memory, for small images (tests, screenshots, examples).
struct PngImage {
    int width = 0, height = 0;
    int channels = 0;               // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int bits = 8;                   // 8 or 16
    std::vector<uint16_t> samples;  // file values (0..255 or 0..65535), interleaved
};

bool ReadPng(const std::string& path, PngImage* image, std::string* error);
bool WritePng(const std::string& path, const PngImage& image, std::string* error,
              PngCompression compression = PngCompression::Default);
std::vector<uint8_t> EncodePng(const PngImage& image,
                               const PngEncoding& encoding = EncodingFor(PngCompression::Default));

}  // namespace filterhost
