// The five PNG row filters as the writer applies them and the reader undoes
// them, and the writer's per-row choice among them.
//
// A filter replaces each byte x of a row by x minus a prediction from bytes
// already known to the reader: a, the byte bpp to the left (bpp = bytes a
// pixel, at least 1, so at 16 bits the high byte predicts the high byte);
// b, the byte above; c, the byte above a. Bytes left of the first pixel and
// the row above the first row are 0. All arithmetic is modulo 256.
//   0 None     x
//   1 Sub      x - a
//   2 Up       x - b
//   3 Average  x - floor((a + b) / 2), the sum taken in 9 bits
//   4 Paeth    x - whichever of a, b, c is nearest to a + b - c
//              (ties go to a, then b)
//
// The choice is the usual minimum sum of absolute differences: each filtered
// byte read as a signed value -128..127, the filter whose bytes have the
// smallest sum of magnitudes wins, the lower type on a tie. Small residuals
// are what deflate's Huffman codes shrink best.
#pragma once

#include <cstddef>
#include <cstdint>

namespace filterhost {

enum class PngFilterType : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };
constexpr int kPngFilterTypes = 5;

// A row and the one above it, each with bpp readable zero bytes in front
// (row[-bpp..-1] and above[-bpp..-1] are 0), n bytes long.
struct PngRowPair {
    const uint8_t* row;
    const uint8_t* above;
    size_t n, bpp;
};

// Writes the n filtered bytes to out (not overlapping the rows) and returns
// the sum of their magnitudes as signed bytes.
uint64_t FilterRow(PngFilterType type, const PngRowPair& rows, uint8_t* out);

// Undoes a filter in place: row (n filtered bytes, bpp zero bytes in front)
// becomes the row's bytes, given the row above already undone (bpp zero bytes
// in front). False for a type PNG does not have, the row untouched.
bool UnfilterRow(uint8_t type, uint8_t* row, const uint8_t* above, size_t n, size_t bpp);

// Filters the row every way into candidates[0..4] (n bytes each) and returns
// the type of the smallest sum of magnitudes, the lower type on a tie.
PngFilterType ChooseRowFilter(const PngRowPair& rows, uint8_t* const candidates[kPngFilterTypes]);

}  // namespace filterhost
