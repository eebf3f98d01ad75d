// The AVX2 row transforms: eight pixels at a time in 32-bit lanes, bit-exact
// with the plain paths. Every branch of the per-pixel steps becomes a lane
// mask; every table lookup a gather. Built with the avx2 target on these
// functions only and chosen at run time when the processor has AVX2.
//
// What changes against the scalar steps, and why the bits stay the same:
// - the sector rows share n = mid - min and d = max - min; only the base and
//   the sign of the quotient differ, chosen by masks;
// - greys need no case of their own: n = d = 0 gives quotient 0 (hue 0) and
//   saturation 0, and a grey replacement is bottom = top;
// - the 8-bit quotient and saturation tables are replaced by the divisions
//   they hold (below), which are faster here than gathers from 64 KiB tables;
// - 8-bit f d / 255 rounded is floor(x / 255) with x = f d + 127 <= 65152,
//   computed as (x + floor(x / 256) + 1) / 256, exact for x below 65535;
// - divisions are estimated with an approximate reciprocal, then corrected
//   by one step either way with exact integer products, so they floor exactly;
// - the 16-bit blend wraps its 32-bit product: the stored low 16 bits equal
//   those of the 64-bit result.
#include <immintrin.h>

#include "TransformPaths.h"
#include "TransformTables.h"

namespace tavirel {
namespace {

// Which of top, bottom and the in-sector share each replacement channel
// takes on destination hue hd, and the sector factor f of the share.
enum Role { kTop, kBottom, kShare };
struct Sector {
    Role role[3];
    int32_t factor;
};

Sector SectorOf(int32_t hd) {
    if (hd < 256) return {{kTop, kShare, kBottom}, hd};
    if (hd < 511) return {{kShare, kTop, kBottom}, 510 - hd};
    if (hd < 766) return {{kBottom, kTop, kShare}, hd - 510};
    if (hd < 1021) return {{kBottom, kShare, kTop}, 1021 - hd};
    if (hd < 1276) return {{kShare, kBottom, kTop}, hd - 1021};
    return {{kTop, kBottom, kShare}, 1531 - hd};
}

struct Lanes {
    __m256i c[3];
};

template <typename Sample>
__attribute__((target("avx2"))) inline Lanes LoadPixels(const Sample* in, int planes) {
    alignas(32) int32_t v[3][8];
    for (int k = 0; k < 8; ++k, in += planes)
        for (int c = 0; c < 3; ++c) v[c][k] = in[c];
    return {{_mm256_load_si256(reinterpret_cast<const __m256i*>(v[0])),
             _mm256_load_si256(reinterpret_cast<const __m256i*>(v[1])),
             _mm256_load_si256(reinterpret_cast<const __m256i*>(v[2]))}};
}

template <typename Sample>
__attribute__((target("avx2"))) inline void StorePixels(const Lanes& lanes, Sample* out, int planes) {
    alignas(32) int32_t v[3][8];
    for (int c = 0; c < 3; ++c) _mm256_store_si256(reinterpret_cast<__m256i*>(v[c]), lanes.c[c]);
    for (int k = 0; k < 8; ++k, out += planes)
        for (int c = 0; c < 3; ++c) out[c] = Sample(v[c][k]);
}

// Three or four 8-bit samples a pixel, the layouts hosts deliver, move
// between memory and lanes with shuffles; they read and write exactly the
// eight pixels' bytes (with four, the fourth byte is written back as it was).
__attribute__((target("avx2"))) inline Lanes LoadPixels8Rgb(const uint8_t* in) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i hi = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 16));
    // Channel c of pixel k is byte 3 k + c: pixels 0..5 (red) or 0..4 from the
    // first 16 bytes, the rest from the last 8.
    const __m128i fromLo[3] = {_mm_setr_epi8(0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1),
                               _mm_setr_epi8(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1),
                               _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1)};
    const __m128i fromHi[3] = {_mm_setr_epi8(-1, -1, -1, -1, -1, -1, 2, 5, -1, -1, -1, -1, -1, -1, -1, -1),
                               _mm_setr_epi8(-1, -1, -1, -1, -1, 0, 3, 6, -1, -1, -1, -1, -1, -1, -1, -1),
                               _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, -1, -1, -1, -1, -1, -1, -1, -1)};
    Lanes lanes;
    for (int c = 0; c < 3; ++c)
        lanes.c[c] =
            _mm256_cvtepu8_epi32(_mm_or_si128(_mm_shuffle_epi8(lo, fromLo[c]), _mm_shuffle_epi8(hi, fromHi[c])));
    return lanes;
}

// The low byte of each lane, the eight in order, in the low 64 bits.
__attribute__((target("avx2"))) inline __m128i LowBytes(__m256i v) {
    const __m256i packed =
        _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8,
                                                12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
    return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1)));
}

__attribute__((target("avx2"))) inline void StorePixels8Rgb(const Lanes& lanes, uint8_t* out) {
    const __m128i redGreen = _mm_unpacklo_epi64(LowBytes(lanes.c[0]), LowBytes(lanes.c[1]));
    const __m128i blue = LowBytes(lanes.c[2]);
    // Output byte p is channel p % 3 of pixel p / 3: red k and green k sit at
    // k and 8 + k of redGreen, blue k at k of blue.
    const __m128i lowFromRedGreen = _mm_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5);
    const __m128i lowFromBlue = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m128i highFromRedGreen = _mm_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i highFromBlue = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_or_si128(_mm_shuffle_epi8(redGreen, lowFromRedGreen), _mm_shuffle_epi8(blue, lowFromBlue)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16),
                     _mm_or_si128(_mm_shuffle_epi8(redGreen, highFromRedGreen), _mm_shuffle_epi8(blue, highFromBlue)));
}

__attribute__((target("avx2"))) inline Lanes LoadPixels8Rgba(const uint8_t* in) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i byte = _mm256_set1_epi32(0xFF);
    return {{_mm256_and_si256(v, byte), _mm256_and_si256(_mm256_srli_epi32(v, 8), byte),
             _mm256_and_si256(_mm256_srli_epi32(v, 16), byte)}};
}

__attribute__((target("avx2"))) inline void StorePixels8Rgba(const Lanes& lanes, uint8_t* out) {
    const __m256i kept = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(out)),
                                          _mm256_set1_epi32(int(0xFF000000u)));
    const __m256i colour = _mm256_or_si256(
        lanes.c[0], _mm256_or_si256(_mm256_slli_epi32(lanes.c[1], 8), _mm256_slli_epi32(lanes.c[2], 16)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_or_si256(colour, kept));
}

struct Geometry {
    __m256i max, min, n, d;
    __m256i base, negate;  // hue = base + q, or base - q where negate is all ones
};

// The sector row of each lane (the same conditions, in the same order, as the scalar steps).
__attribute__((target("avx2"))) inline Geometry Classify(const Lanes& p, int32_t row2Base) {
    const __m256i r = p.c[0], g = p.c[1], b = p.c[2];
    Geometry o;
    o.max = _mm256_max_epi32(r, _mm256_max_epi32(g, b));
    o.min = _mm256_min_epi32(r, _mm256_min_epi32(g, b));
    o.d = _mm256_sub_epi32(o.max, o.min);
    const __m256i mid = _mm256_sub_epi32(_mm256_add_epi32(_mm256_add_epi32(r, g), b), _mm256_add_epi32(o.max, o.min));
    o.n = _mm256_sub_epi32(mid, o.min);
    const __m256i rLessG = _mm256_cmpgt_epi32(g, r);
    const __m256i gLessB = _mm256_cmpgt_epi32(b, g);
    const __m256i rLessB = _mm256_cmpgt_epi32(b, r);
    const __m256i gMoreB = _mm256_cmpgt_epi32(g, b);
    const __m256i rMoreB = _mm256_cmpgt_epi32(r, b);
    // r >= g: row 1 (g >= b) base 0, row 2 (r >= b) base 1530/1531 negated, row 3 base 1021.
    const __m256i upperBase =
        _mm256_blendv_epi8(_mm256_setzero_si256(),
                           _mm256_blendv_epi8(_mm256_set1_epi32(row2Base), _mm256_set1_epi32(1021), rLessB), gLessB);
    const __m256i upperNegate = _mm256_andnot_si256(rLessB, gLessB);
    // r < g: row 4 (g <= b) base 1021 negated, row 5 (r <= b) base 510, row 6 base 510 negated.
    const __m256i lowerBase = _mm256_blendv_epi8(_mm256_set1_epi32(1021), _mm256_set1_epi32(510), gMoreB);
    const __m256i lowerNegate =
        _mm256_or_si256(_mm256_andnot_si256(gMoreB, _mm256_set1_epi32(-1)), _mm256_and_si256(gMoreB, rMoreB));
    o.base = _mm256_blendv_epi8(upperBase, lowerBase, rLessG);
    o.negate = _mm256_blendv_epi8(upperNegate, lowerNegate, rLessG);
    return o;
}

__attribute__((target("avx2"))) inline __m256i Hue(const Geometry& g, __m256i q) {
    return _mm256_add_epi32(g.base, _mm256_sub_epi32(_mm256_xor_si256(q, g.negate), g.negate));
}

// The replacement channels from top, bottom and the share, by the sector's roles.
__attribute__((target("avx2"))) inline __m256i Pick(Role role, __m256i top, __m256i bottom, __m256i share) {
    return role == kTop ? top : role == kBottom ? bottom : share;
}

// in + floor(w (new - in) / 65536), the product wrapping in 32 bits.
__attribute__((target("avx2"))) inline __m256i Blend(__m256i in, __m256i replacement, __m256i w) {
    return _mm256_add_epi32(in, _mm256_srai_epi32(_mm256_mullo_epi32(w, _mm256_sub_epi32(replacement, in)), 16));
}

// a b for lanes whose values are both 0..32767: one multiply-add of the low
// 16-bit halves (the high halves are zero), cheaper than a 32-bit multiply.
__attribute__((target("avx2"))) inline __m256i SmallProduct(__m256i a, __m256i b) { return _mm256_madd_epi16(a, b); }
__attribute__((target("avx2"))) inline __m256i FullProduct(__m256i a, __m256i b) { return _mm256_mullo_epi32(a, b); }

// floor(num / den) for 0 <= num < 2^31, den >= 1 and a quotient of at most
// 1025. The approximate reciprocal is within 1.5 x 2^-12 of 1 / den; scaled
// by 1 - 2^-11 it is always below it, by less than 2^-10 relative. So the
// estimate lies below the quotient by less than 1025 x 2^-10 (under one),
// its truncation is the floor or one less, and one exact step up corrects it.
// Multiply is SmallProduct where quotient and den stay below 32768.
template <__m256i (*Multiply)(__m256i, __m256i)>
__attribute__((target("avx2"))) inline __m256i FloorDivide(__m256i num, __m256i den) {
    const __m256 below = _mm256_mul_ps(_mm256_rcp_ps(_mm256_cvtepi32_ps(den)), _mm256_set1_ps(1.0f - 1.0f / 2048));
    const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(num), below));
    const __m256i next = _mm256_add_epi32(q, _mm256_set1_epi32(1));
    const __m256i nextTooBig = _mm256_cmpgt_epi32(Multiply(next, den), num);
    return _mm256_sub_epi32(q, _mm256_andnot_si256(nextTooBig, _mm256_set1_epi32(-1)));
}

}  // namespace

__attribute__((target("avx2"))) void TransformRow8Avx2(const uint8_t* in, uint8_t* out, int planes, int count) {
    const Sector sector = SectorOf(destinationHueIndex);
    const __m256i factor = _mm256_set1_epi32(sector.factor);
    const __m256i one = _mm256_set1_epi32(1);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* source = in + size_t(i) * planes;
        const Lanes p = planes == 3   ? LoadPixels8Rgb(source)
                        : planes == 4 ? LoadPixels8Rgba(source)
                                      : LoadPixels(source, planes);
        const Geometry g = Classify(p, 1531);
        // The quotient and saturation tables' entries, computed: Q[n][d] =
        // floor((255 n + floor(d / 2)) / d) and s = floor((d 1024 +
        // floor(max / 2)) / max); divisions beat gathers from 64 KiB tables.
        // Every factor of a SmallProduct below is at most 1024.
        const __m256i q = FloorDivide<SmallProduct>(
            _mm256_add_epi32(SmallProduct(g.n, _mm256_set1_epi32(255)), _mm256_srli_epi32(g.d, 1)),
            _mm256_max_epi32(g.d, one));
        const __m256i w = _mm256_i32gather_epi32(hueWeight, Hue(g, q), 4);
        const __m256i s = FloorDivide<SmallProduct>(
            _mm256_add_epi32(_mm256_slli_epi32(g.d, 10), _mm256_srli_epi32(g.max, 1)), _mm256_max_epi32(g.max, one));
        const __m256i pair = _mm256_i32gather_epi32(saturationPair, s, 4);
        const __m256i f = _mm256_and_si256(pair, _mm256_set1_epi32(0xFFFF));
        const __m256i mapped = _mm256_srli_epi32(pair, 16);
        // M = (max + 1) F / 256; top = 255 M / 1024 and bottom = 255 (1024 - S) M / 2^20, rounded half up.
        const __m256i m = _mm256_srli_epi32(SmallProduct(_mm256_add_epi32(g.max, _mm256_set1_epi32(1)), f), 8);
        const __m256i top =
            _mm256_srli_epi32(_mm256_add_epi32(SmallProduct(m, _mm256_set1_epi32(255)), _mm256_set1_epi32(512)), 10);
        __m256i bottom =
            FullProduct(SmallProduct(_mm256_sub_epi32(_mm256_set1_epi32(1024), mapped), m), _mm256_set1_epi32(255));
        bottom = _mm256_srli_epi32(_mm256_add_epi32(bottom, _mm256_set1_epi32(524288)), 20);
        const __m256i grey = _mm256_or_si256(_mm256_cmpeq_epi32(m, _mm256_setzero_si256()),
                                             _mm256_cmpeq_epi32(mapped, _mm256_setzero_si256()));
        bottom = _mm256_blendv_epi8(bottom, top, grey);
        // x = f span + 127 <= 65152, and floor(x / 255) = (x + floor(x / 256) + 1) / 256 for x < 65535.
        const __m256i x = _mm256_add_epi32(SmallProduct(factor, _mm256_sub_epi32(top, bottom)), _mm256_set1_epi32(127));
        const __m256i share = _mm256_add_epi32(
            bottom, _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(x, _mm256_srli_epi32(x, 8)), one), 8));
        Lanes result;
        for (int c = 0; c < 3; ++c) result.c[c] = Blend(p.c[c], Pick(sector.role[c], top, bottom, share), w);
        uint8_t* target = out + size_t(i) * planes;
        if (planes == 3)
            StorePixels8Rgb(result, target);
        else if (planes == 4)
            StorePixels8Rgba(result, target);
        else
            StorePixels(result, target, planes);
    }
    if (i < count) TransformRow8Fast(in + size_t(i) * planes, out + size_t(i) * planes, planes, count - i);
}

__attribute__((target("avx2"))) void TransformRow16Avx2(const uint16_t* in, uint16_t* out, int planes, int count) {
    const Sector sector = SectorOf(destinationHueIndex);
    const __m256i factor = _mm256_set1_epi32(sector.factor);
    const __m256i one = _mm256_set1_epi32(1);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const Lanes p = LoadPixels(in + size_t(i) * planes, planes);
        const Geometry g = Classify(p, 1530);
        // q = floor(255 n / d); s = floor((d 1024 + floor(max / 2)) / max). A
        // grey lane divides 0 by 1.
        const __m256i q =
            FloorDivide<FullProduct>(FullProduct(g.n, _mm256_set1_epi32(255)), _mm256_max_epi32(g.d, one));
        const __m256i w = _mm256_i32gather_epi32(hueWeight, Hue(g, q), 4);
        const __m256i s = FloorDivide<FullProduct>(
            _mm256_add_epi32(_mm256_slli_epi32(g.d, 10), _mm256_srli_epi32(g.max, 1)), _mm256_max_epi32(g.max, one));
        const __m256i pair = _mm256_i32gather_epi32(saturationPair, s, 4);
        const __m256i f = _mm256_and_si256(pair, _mm256_set1_epi32(0xFFFF));
        const __m256i mapped = _mm256_srli_epi32(pair, 16);
        // M = floor(max / 32) F / 1024; top = 32 M; bottom = (1024 - S) M / 32 rounded half up.
        const __m256i m = _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(g.max, 5), f), 10);
        const __m256i top = _mm256_slli_epi32(m, 5);
        __m256i bottom = _mm256_mullo_epi32(_mm256_sub_epi32(_mm256_set1_epi32(1024), mapped), m);
        bottom = _mm256_srli_epi32(_mm256_add_epi32(bottom, _mm256_set1_epi32(16)), 5);
        const __m256i grey = _mm256_or_si256(_mm256_cmpeq_epi32(m, _mm256_setzero_si256()),
                                             _mm256_cmpeq_epi32(mapped, _mm256_setzero_si256()));
        bottom = _mm256_blendv_epi8(bottom, top, grey);
        const __m256i share =
            _mm256_add_epi32(bottom, _mm256_srli_epi32(_mm256_mullo_epi32(factor, _mm256_sub_epi32(top, bottom)), 8));
        Lanes result;
        for (int c = 0; c < 3; ++c) result.c[c] = Blend(p.c[c], Pick(sector.role[c], top, bottom, share), w);
        StorePixels(result, out + size_t(i) * planes, planes);
    }
    if (i < count) TransformRow16Fast(in + size_t(i) * planes, out + size_t(i) * planes, planes, count - i);
}

}  // namespace tavirel
