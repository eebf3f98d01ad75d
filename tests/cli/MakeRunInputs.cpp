// make_run_inputs: the input files of the command-line tests in tests/cli.
//   make_run_inputs image FILE.png WIDTH HEIGHT SEED [BITS]
//     an RGB image, 8-bit or (BITS 16) 16-bit: red rising across, green
//     rising down, blue a diagonal ramp, so that every hue the filter treats
//     differently is met; SEED adds noise to each sample (up to 15 at 8 bits,
//     up to 4095 at 16, so that both file values of a host value occur), and
//     0 none, which keeps the file of a large image small
//   make_run_inputs grey FILE.png WIDTH HEIGHT
//     an 8-bit grey ramp, a mode the filter does not take
//   make_run_inputs prm FILE.prm
//     a parameter file turning reds (0 degrees) towards teal (180), range 300
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "common/TestRandom.h"
#include "filterhost/lib/PngFile.h"
#include "plugin/persistence/ParameterCodec.h"

namespace {

int WriteImage(const char* path, int width, int height, uint64_t seed, int bits) {
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
    if (!filterhost::WritePng(path, image, &error)) {
        std::fprintf(stderr, "make_run_inputs: %s\n", error.c_str());
        return 1;
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
    if ((argc == 6 || argc == 7) && std::strcmp(argv[1], "image") == 0) {
        const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
        const int bits = argc == 7 ? std::atoi(argv[6]) : 8;
        if (width > 0 && height > 0 && (bits == 8 || bits == 16))
            return WriteImage(argv[2], width, height, std::strtoull(argv[5], nullptr, 0), bits);
    }
    if (argc == 5 && std::strcmp(argv[1], "grey") == 0 && std::atoi(argv[3]) > 0 && std::atoi(argv[4]) > 0)
        return WriteGrey(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "prm") == 0) return WriteParameterFile(argv[2]);
    std::fputs(
        "usage: make_run_inputs image FILE.png WIDTH HEIGHT SEED [BITS] | grey FILE.png WIDTH HEIGHT | prm FILE.prm\n",
        stderr);
    return 2;
}
