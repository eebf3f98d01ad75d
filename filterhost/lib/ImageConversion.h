// PNG files to and from our host's documents. Grey (with or without alpha)
// becomes image mode 1 (10 at 16 bits), RGB mode 3 or 11 with 3 planes, RGBA
// the same modes with 4 planes. 16-bit samples meet the host scale 0..32768
// through HostScale.h.
//
// Rows go straight between the file and the document: no whole copy of the
// image is made on either way beyond the document itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Document.h"
#include "PngFile.h"

namespace filterhost {

// What writing a result back needs besides the documents: the file's shape
// and, at 16 bits, the one bit a sample that the host scale drops. The host
// scale has about half as many values as the file's, so two file values may
// share a host value; the bit says which of them the file held.
struct PngOrigin {
    int width = 0, height = 0, channels = 0, bits = 8;
    std::vector<uint8_t> otherValue;   // bit i % 8 of byte i / 8: sample i is OtherFileValue16 of its host value
    std::vector<PngKeptChunk> chunks;  // the file's colour and picture chunks, for the result's file

    bool Other(size_t i) const { return (otherValue[i >> 3] >> (i & 7) & 1) != 0; }
};

// A filter's record gives the image size in 16-bit signed numbers; hosts
// that offer big documents go past it in 32-bit ones.
constexpr int kLargest16BitSide = 32767;

// The PNG file decoded into a document allocated once at its size. Refuses,
// before allocating, an image wider or taller than largestSide (what the
// filter's record can describe); says "out of memory" when the document does
// not fit.
bool ReadPngDocument(const std::string& path, Document* document, PngOrigin* origin, std::string* error,
                     int largestSide = kLargest16BitSide);

// The result of a run, to be written as a PNG of the original's shape. A
// 16-bit sample whose host value is still the original document's keeps the
// file value it was read with, so untouched pixels come back bit for bit.
struct DocumentPng {
    const Document& result;
    const Document& original;
    const PngOrigin& origin;
};

inline DocumentPng PngFromDocument(const Document& result, const Document& original, const PngOrigin& origin) {
    return DocumentPng{result, original, origin};
}

// Written row by row through the streaming encoder.
bool WritePng(const std::string& path, const DocumentPng& png, std::string* error,
              PngCompression compression = PngCompression::Default);

// A result as its file's rows: every sample the file value WritePng would
// write for it, big-endian at 16 bits, rows back to back. Whoever writes it
// needs neither the original nor the origin's bits, so both can go first.
struct PngRows {
    int width = 0, height = 0, channels = 0, bits = 8;
    std::vector<uint8_t> bytes;
    std::vector<PngKeptChunk> chunks;  // the original's colour and picture chunks
};

// Turns the result into its rows in its own memory (nothing is copied; the
// result is left empty; the origin's kept chunks are copied). False, the result untouched, when the documents no
// longer have the original's shape.
bool PngRowsFromResult(Document* result, const Document& original, const PngOrigin& origin, PngRows* rows,
                       std::string* error);

// threads: how many parts the compressed stream may be coded in side by side
// (PngWriter::WriteRows).
bool WritePngRows(const std::string& path, const PngRows& rows, std::string* error,
                  PngCompression compression = PngCompression::Default, int threads = 1);

}  // namespace filterhost
