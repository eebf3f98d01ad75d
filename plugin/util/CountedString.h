// Counted strings: one length byte n (0..255) followed by n characters, with no
// terminating zero counted. Every operation returns 0 or a result code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavirel {

constexpr int kCountedStringMax = 255;

// Storage for the longest counted string: the length byte and 255 characters.
struct CountedString {
    unsigned char bytes[256];
    unsigned char length() const { return bytes[0]; }
    const unsigned char* chars() const { return bytes + 1; }
};

// Copies the length byte and the counted characters of source; -50 for a null argument.
int CopyCountedString(const unsigned char* source, unsigned char* destination);

// Appends source to destination: -50 for a null argument or an empty source,
// -149 (and nothing appended) when the result would reach 256 characters.
int AppendCountedString(const unsigned char* source, unsigned char* destination);

// The same object is equal, a null argument is unequal, otherwise the length
// bytes and all counted characters must match.
bool CountedStringsEqual(const unsigned char* a, const unsigned char* b);

// Zero-terminated text to a counted string, at most 255 characters (longer text
// is cut there); -50 for a null argument.
int CountedFromText(const char* text, unsigned char* destination);

// A counted string to zero-terminated text; capacity counts the terminating
// zero and must be at least 1. At most 255 characters; -50 for a null argument.
int TextFromCounted(const unsigned char* source, char* text, size_t capacity);

}  // namespace tavirel
