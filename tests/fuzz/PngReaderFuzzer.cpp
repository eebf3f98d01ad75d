// libFuzzer target: any bytes as a PNG file through our reader. The file is
// an in-memory one (memfd), read through its /proc path as any file is. A
// file the reader takes must hold exactly its size's samples, each inside its
// depth, and write back through our writer into a file that reads back to
// the same samples and kept chunks. Sizes past 2^22 pixels are passed over:
// the reader's row buffers then outgrow the fuzzer's memory limit by design.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "filterhost/lib/PngFile.h"

using namespace filterhost;

namespace {

std::string MemoryFile(int* fd, const char* name) {
    if (*fd < 0) *fd = memfd_create(name, 0);
    if (*fd < 0) std::abort();
    return "/proc/self/fd/" + std::to_string(*fd);
}

bool Replace(int fd, const uint8_t* data, size_t size) {
    return ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == ssize_t(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int inFd = -1, outFd = -1;
    const std::string in = MemoryFile(&inFd, "png-in"), out = MemoryFile(&outFd, "png-out");
    if (!Replace(inFd, data, size)) std::abort();

    PngReader reader;
    std::string error;
    if (!reader.Open(in, &error)) return 0;
    const PngInfo info = reader.info();
    if (uint64_t(info.width) * uint64_t(info.height) > (1u << 22)) return 0;
    if (info.channels < 1 || info.channels > 4 || (info.bits != 8 && info.bits != 16)) std::abort();
    PngImage image;
    image.width = info.width, image.height = info.height, image.channels = info.channels, image.bits = info.bits;
    image.samples.assign(size_t(info.width) * info.height * info.channels, 0);
    std::vector<bool> seen(size_t(info.width) * info.height, false);
    const bool read = reader.ReadRows(
        [&](int y, int x0, int step, int count, const uint16_t* s) {
            if (y < 0 || y >= info.height || x0 < 0 || step < 1 || count < 1 ||
                x0 + int64_t(step) * (count - 1) >= info.width)
                std::abort();
            for (int i = 0; i < count; ++i) {
                const size_t p = size_t(y) * info.width + x0 + size_t(i) * step;
                if (seen[p]) std::abort();  // every pixel once, whatever the layout
                seen[p] = true;
                for (int c = 0; c < info.channels; ++c, ++s) {
                    if (info.bits == 8 && *s > 255) std::abort();
                    image.samples[p * info.channels + c] = *s;
                }
            }
        },
        &error);
    if (!read) return 0;
    for (bool pixel : seen)
        if (!pixel) std::abort();

    // Written and read back: the same samples and the same kept chunks.
    const std::vector<PngKeptChunk> kept = reader.keptChunks();
    PngWriter writer;
    writer.KeepChunks(kept);
    if (!writer.Open("", image.width, image.height, image.channels, image.bits, &error)) std::abort();
    std::vector<uint8_t> row(writer.rowBytes());
    const size_t perRow = size_t(image.width) * image.channels;
    for (int y = 0; y < image.height; ++y) {
        uint8_t* to = row.data();
        for (size_t i = 0; i < perRow; ++i) {
            const uint16_t v = image.samples[size_t(y) * perRow + i];
            if (image.bits == 16) *to++ = uint8_t(v >> 8);
            *to++ = uint8_t(v);
        }
        if (!writer.WriteRow(row.data(), &error)) std::abort();
    }
    if (!writer.Finish(&error) || !Replace(outFd, writer.bytes().data(), writer.bytes().size())) std::abort();
    PngImage again;
    if (!ReadPng(out, &again, &error) || again.samples != image.samples || again.channels != image.channels)
        std::abort();
    PngReader chunks;
    if (!chunks.Open(out, &error) || !chunks.ReadRows([](int, int, int, int, const uint16_t*) {}, &error) ||
        chunks.keptChunks().size() != kept.size())
        std::abort();
    for (size_t i = 0; i < kept.size(); ++i) {
        // A chunk may move before the image data; its bytes never change.
        bool found = false;
        for (const PngKeptChunk& c : chunks.keptChunks())
            found = found || (c.type == kept[i].type && c.data == kept[i].data);
        if (!found) std::abort();
    }
    return 0;
}
