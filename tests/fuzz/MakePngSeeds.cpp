// make_png_seeds DIR: the PNG fuzzer's seed corpus, of our own making: small
// files of every colour type and depth, plain and interlaced, with and
// without tRNS, with kept and dropped ancillary chunks, the image data split
// over several IDAT chunks, and every row filter in turn.
#include <cstdio>
#include <string>

#include "common/TestRandom.h"
#include "files/PngTestFiles.h"

using namespace tavirel::test;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_png_seeds DIR\n", stderr);
        return 2;
    }
    struct Format {
        int colourType, depth;
    };
    const Format formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16},
                              {3, 1}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    TestRandom random(2026);
    int count = 0;
    for (const Format& f : formats) {
        for (int variant = 0; variant < 4; ++variant) {
            TestPng png;
            png.width = 3 + variant * 4, png.height = 2 + variant * 3;
            png.colourType = f.colourType, png.depth = f.depth, png.interlaced = variant % 2 == 1;
            const uint32_t top = f.colourType == 3 ? 15u : (1u << f.depth) - 1;
            if (f.colourType == 3)
                for (int i = 0; i < 16 * 3; ++i) png.palette.push_back(uint8_t(random.UpTo(255)));
            for (int i = 0; i < png.width * png.height * png.fileChannels(); ++i)
                png.values.push_back(uint16_t(random.UpTo(top)));
            if (variant >= 2 && (f.colourType == 0 || f.colourType == 2))
                for (int c = 0; c < png.fileChannels(); ++c)
                    png.trns.insert(png.trns.end(), {0, uint8_t(png.values[c])});
            if (variant >= 2 && f.colourType == 3) png.trns = {0, 128, 255};
            png.before = {{"gAMA", {0, 0, 0xB1, 0x8F}}, {"tEXt", {'k', 0, 'v'}}, {"sBIT", {1}}};
            png.after = {{"iTXt", {'c', 0, 0, 0, 0, 0}}, {"tIME", Bytes(7, 1)}};
            png.idatPieces = 1 + variant;
            const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(count++) + ".png";
            if (!WriteBytes(path, BuildPng(png))) {
                std::fprintf(stderr, "make_png_seeds: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
