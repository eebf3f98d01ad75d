// make-sample-image OUT.png [--16]: writes the sample image (SampleImage.h);
// with --16 the samples use the whole 16-bit range.
#include <cstdio>
#include <cstring>
#include <string>

#include "SampleImage.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--16") != 0)) {
        std::fprintf(stderr, "usage: make-sample-image OUT.png [--16]\n");
        return 2;
    }
    const filterhost::PngImage image = DrawSampleImage(argc == 3 ? 16 : 8);
    std::string error;
    if (!filterhost::WritePng(argv[1], image, &error)) {
        std::fprintf(stderr, "make-sample-image: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
