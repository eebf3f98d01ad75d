// make_run_inputs: the input files of the command-line tests in tests/cli.
//   make_run_inputs image FILE.png WIDTH HEIGHT SEED [BITS]
//     an RGB image, 8-bit or (BITS 16) 16-bit: red rising across, green
//     rising down, blue a diagonal ramp, so that every hue the filter treats
//     differently is met; SEED adds noise to each sample (up to 15 at 8 bits,
//     up to 4095 at 16, so that both file values of a host value occur), and
//     0 none, which keeps the file of a large image small
//   make_run_inputs photo FILE.png WIDTH HEIGHT SEED [BITS]
//     the same image with a photograph's colour and picture chunks: iCCP,
//     cHRM, gAMA, pHYs, cICP and tEXt before the image data, iTXt, zTXt and
//     eXIf after it, each with data of its own (not a real profile)
//   make_run_inputs chunks FILE.png
//     lists the file's ancillary chunks, one line each: "before" or "after"
//     the image data, the type, the length and the CRC, in file order
//   make_run_inputs grey FILE.png WIDTH HEIGHT
//     an 8-bit grey ramp, a mode the filter does not take
//   make_run_inputs prm FILE.prm
//     a parameter file turning reds (0 degrees) towards teal (180), range 300
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/TestRandom.h"
#include "filterhost/lib/PngFile.h"
#include "plugin/persistence/ParameterCodec.h"

namespace {

// Chunks as a photograph's file may carry them; the data is ours, made to
// be told apart, not to be read by a colour manager.
std::vector<filterhost::PngKeptChunk> PhotoChunks() {
    auto chunk = [](const char* type, std::string data, bool after) {
        filterhost::PngKeptChunk c;
        c.type = uint32_t(uint8_t(type[0])) << 24 | uint32_t(uint8_t(type[1])) << 16 | uint32_t(uint8_t(type[2])) << 8 |
                 uint32_t(uint8_t(type[3]));
        c.data.assign(data.begin(), data.end());
        c.afterImageData = after;
        return c;
    };
    std::string profile("our profile\0\0", 13);
    for (int i = 0; i < 300; ++i) profile.push_back(char(i * 37));
    return {chunk("iCCP", profile, false),
            chunk("cHRM", std::string(32, '\x11'), false),
            chunk("gAMA", std::string("\0\0\xB1\x8F", 4), false),
            chunk("pHYs", std::string("\0\0\x0B\x13\0\0\x0B\x13\x01", 9), false),
            chunk("cICP", std::string("\x01\x0D\0\x01", 4), false),
            chunk("tEXt", std::string("Title\0Tavirel test photo", 24), false),
            chunk("iTXt", std::string("Comment\0\0\0\0\0after the image", 27), true),
            chunk("zTXt", std::string("Author\0\0x\x9c", 10), true),
            chunk("eXIf", std::string("MM\0\x2A\0\0\0\x08\0\0", 10), true)};
}

int WriteImage(const char* path, int width, int height, uint64_t seed, int bits, bool photo = false) {
    filterhost::PngImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.bits = bits;
    image.samples.resize(size_t(width) * height * 3);
    tavirel::test::TestRandom random(seed);
    uint16_t* s = image.samples.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, s += 3) {
            const uint64_t noise = seed != 0 ? random.Next() : 0;
            if (bits == 16) {
                s[0] = uint16_t(int64_t(x) * 61440 / width + (noise & 4095));
                s[1] = uint16_t(int64_t(y) * 61440 / height + (noise >> 12 & 4095));
                s[2] = uint16_t(int64_t(x + y) * 61440 / (width + height) + (noise >> 24 & 4095));
                continue;
            }
            s[0] = uint16_t((x * 240 / width + (noise & 15)) & 255);
            s[1] = uint16_t((y * 240 / height + (noise >> 4 & 15)) & 255);
            s[2] = uint16_t(((x + y) * 240 / (width + height) + (noise >> 8 & 15)) & 255);
        }
    }
    std::string error;
    filterhost::PngWriter writer;
    if (photo) writer.KeepChunks(PhotoChunks());
    bool ok = writer.Open(path, width, height, 3, bits, &error);
    std::vector<uint8_t> row(ok ? writer.rowBytes() : 0);
    for (int y = 0; ok && y < height; ++y) {
        uint8_t* to = row.data();
        for (size_t i = 0; i < size_t(width) * 3; ++i) {
            const uint16_t v = image.samples[size_t(y) * width * 3 + i];
            if (bits == 16) *to++ = uint8_t(v >> 8);
            *to++ = uint8_t(v);
        }
        ok = writer.WriteRow(row.data(), &error);
    }
    if (!ok || !writer.Finish(&error)) {
        std::fprintf(stderr, "make_run_inputs: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// Every ancillary chunk of a PNG file, in order, as "before|after TYPE LENGTH CRC".
int ListChunks(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bool after = false;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 | uint32_t(file[at + 2]) << 8 |
                                uint32_t(file[at + 3]);
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (at + 12 + uint64_t(length) > file.size()) return 1;
        const uint8_t* crc = &file[at + 8 + length];
        if (type == "IDAT") after = true;
        if (type[0] >= 'a' && type[0] <= 'z')
            std::printf("%s %s %u %02x%02x%02x%02x\n", after ? "after" : "before", type.c_str(), length, crc[0], crc[1],
                        crc[2], crc[3]);
        at += 12 + size_t(length);
    }
    return 0;
}

int WriteGrey(const char* path, int width, int height) {
    filterhost::PngImage image;
    image.width = width;
    image.height = height;
    image.channels = 1;
    image.bits = 8;
    image.samples.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.samples[size_t(y) * width + x] = uint16_t((x + y) * 255 / (width + height));
    std::string error;
    if (!filterhost::WritePng(path, image, &error)) {
        std::fprintf(stderr, "make_run_inputs: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int WriteParameterFile(const char* path) {
    tavirel::FilterParameters p;
    std::memset(&p, 0, sizeof p);
    tavirel::SetDefaultParameters(&p);
    p.sourceHue = 0;
    p.destinationHue = 1800;
    p.destinationSaturation = 600;
    p.destinationBrightness = 700;
    p.range = 300;
    unsigned char file[tavirel::kFileRecordSize];
    tavirel::EncodeFileRecord(tavirel::StandardHeader(), p, file);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file), sizeof file);
    return out.flush() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool photo = argc > 1 && std::strcmp(argv[1], "photo") == 0;
    if ((argc == 6 || argc == 7) && (photo || std::strcmp(argv[1], "image") == 0)) {
        const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
        const int bits = argc == 7 ? std::atoi(argv[6]) : 8;
        if (width > 0 && height > 0 && (bits == 8 || bits == 16))
            return WriteImage(argv[2], width, height, std::strtoull(argv[5], nullptr, 0), bits, photo);
    }
    if (argc == 3 && std::strcmp(argv[1], "chunks") == 0) return ListChunks(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "grey") == 0 && std::atoi(argv[3]) > 0 && std::atoi(argv[4]) > 0)
        return WriteGrey(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "prm") == 0) return WriteParameterFile(argv[2]);
    std::fputs(
        "usage: make_run_inputs (image|photo) FILE.png WIDTH HEIGHT SEED [BITS] | chunks FILE.png |\n"
        "       grey FILE.png WIDTH HEIGHT | prm FILE.prm\n",
        stderr);
    return 2;
}
