#include "PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include "FilePaths.h"

namespace filterhost {
namespace {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* f = OpenFile(path, "rb");
    if (f == nullptr) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
    Put32(out, uint32_t(crc));
}

}  // namespace

bool ReadPng(const std::string& path, PngImage* image, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes)) {
        *error = "cannot read " + path;
        return false;
    }
    int w = 0, h = 0, channels = 0;
    const int size = int(bytes.size());
    if (!stbi_info_from_memory(bytes.data(), size, &w, &h, &channels)) {
        *error = path + " is not a PNG image (" + stbi_failure_reason() + ")";
        return false;
    }
    const bool sixteen = stbi_is_16_bit_from_memory(bytes.data(), size) != 0;
    image->width = w, image->height = h, image->channels = channels, image->bits = sixteen ? 16 : 8;
    const size_t count = size_t(w) * h * channels;
    image->samples.resize(count);
    if (sixteen) {
        stbi_us* pixels = stbi_load_16_from_memory(bytes.data(), size, &w, &h, &channels, 0);
        if (pixels == nullptr) {
            *error = path + ": " + stbi_failure_reason();
            return false;
        }
        std::memcpy(image->samples.data(), pixels, count * 2);
        stbi_image_free(pixels);
    } else {
        stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &w, &h, &channels, 0);
        if (pixels == nullptr) {
            *error = path + ": " + stbi_failure_reason();
            return false;
        }
        for (size_t i = 0; i < count; ++i) image->samples[i] = pixels[i];
        stbi_image_free(pixels);
    }
    return true;
}

std::vector<uint8_t> EncodePng(const PngImage& image) {
    static const uint8_t kColourType[5] = {0, 0, 4, 2, 6};
    const int bytesPerSample = image.bits == 16 ? 2 : 1;
    const size_t rowBytes = size_t(image.width) * image.channels * bytesPerSample;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * image.height);
    size_t i = 0;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // no filter
        for (size_t x = 0; x < size_t(image.width) * image.channels; ++x, ++i) {
            const uint16_t v = image.samples[i];
            if (bytesPerSample == 2) raw.push_back(uint8_t(v >> 8));  // PNG stores big-endian
            raw.push_back(uint8_t(v));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6);
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32(header, uint32_t(image.width));
    Put32(header, uint32_t(image.height));
    header.push_back(uint8_t(image.bits));
    header.push_back(kColourType[image.channels]);
    header.push_back(0), header.push_back(0), header.push_back(0);
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

bool WritePng(const std::string& path, const PngImage& image, std::string* error) {
    const std::vector<uint8_t> bytes = EncodePng(image);
    FILE* f = OpenFile(path, "wb");
    if (f == nullptr) {
        *error = "cannot create " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace filterhost
