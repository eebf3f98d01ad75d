// The SSSE3 twins of the plain RGB rows: one byte shuffle turns four pixels
// into four 32-bit DIB pixels (B, G, R, 0). Built for every x86 processor
// and called only where the processor has SSSE3.
#include <tmmintrin.h>

#include "DisplayRows.h"

namespace filterhost {

__attribute__((target("ssse3"))) void RgbRow3Ssse3(const uint8_t* from, uint32_t* to, int width) {
    // Bytes R G B of pixel k sit at 3k, 3k + 1, 3k + 2; -128 writes a zero.
    const __m128i order = _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
    int x = 0;
    // A load takes 16 bytes for the 12 of four pixels: it stays inside the
    // row while at least 6 pixels (18 bytes) are left.
    for (; x + 6 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_shuffle_epi8(pixels, order));
    }
    RgbRow3Plain(from + 3 * x, to + x, width - x);
}

__attribute__((target("ssse3"))) void RgbRow4Ssse3(const uint8_t* from, uint32_t* to, int width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_shuffle_epi8(pixels, order));
    }
    RgbRow4Plain(from + 4 * x, to + x, width - x);
}

}  // namespace filterhost
