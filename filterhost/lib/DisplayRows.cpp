#include "DisplayRows.h"

#include <cstdlib>
#include <cstring>

namespace filterhost {
namespace {

template <int ColBytes>
void RgbRowPlain(const uint8_t* from, uint32_t* to, int width) {
    for (int x = 0; x < width; ++x, from += ColBytes)
        to[x] = (uint32_t(from[0]) << 16) | (uint32_t(from[1]) << 8) | uint32_t(from[2]);
}

const RgbRows& ChooseRows() {
    static const RgbRows plain{"plain", RgbRow3Plain, RgbRow4Plain};
    static const RgbRows ssse3{"ssse3", RgbRow3Ssse3, RgbRow4Ssse3};
    const char* forced = std::getenv("TAVIREL_SIMD");
    if (forced != nullptr && (std::strcmp(forced, "none") == 0 || std::strcmp(forced, "plain") == 0)) return plain;
    return ProcessorHasSsse3() ? ssse3 : plain;
}

}  // namespace

void RgbRow3Plain(const uint8_t* from, uint32_t* to, int width) { RgbRowPlain<3>(from, to, width); }
void RgbRow4Plain(const uint8_t* from, uint32_t* to, int width) { RgbRowPlain<4>(from, to, width); }

bool ProcessorHasSsse3() {
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
#else
    return false;
#endif
}

const RgbRows& DisplayRgbRows() {
    static const RgbRows& rows = ChooseRows();
    return rows;
}

}  // namespace filterhost
