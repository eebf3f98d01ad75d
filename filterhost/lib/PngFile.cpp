#include "PngFile.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace filterhost {

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
    // Room for every sample is taken at once, but the samples are made (and
    // their memory touched) only down to the lowest row the data has reached:
    // a file of a few hundred bytes that claims 30000 x 30000 pixels and ends
    // early costs address space, not gigabytes of memory and half a minute.
    // Growing within the room reserved never allocates.
    try {
        image->samples.clear();
        image->samples.reserve(size_t(count));
    } catch (const std::bad_alloc&) {
        *error = "out of memory for the samples of " + path;
        return false;
    }
    const int channels = info.channels;
    const size_t rowSamples = size_t(info.width) * size_t(channels);
    std::vector<uint16_t>& all = image->samples;
    if (!reader.ReadRows(
            [&](int y, int x0, int step, int count, const uint16_t* samples) {
                const size_t rowEnd = (size_t(y) + 1) * rowSamples;
                if (all.size() < rowEnd) all.resize(rowEnd);
                uint16_t* to = all.data() + size_t(y) * rowSamples + size_t(x0) * channels;
                for (int i = 0; i < count; ++i, to += size_t(step) * channels, samples += channels)
                    std::copy(samples, samples + channels, to);
            },
            error))
        return false;
    all.resize(size_t(count));
    return true;
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
