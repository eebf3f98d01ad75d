// What the PNG reader and writer share: the signature, chunk types as 32-bit
// big-endian codes, and the file's big-endian words and 64-bit offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace filterhost::png {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr uint32_t Type(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
           uint32_t(uint8_t(name[3]));
}
constexpr uint32_t kIHDR = Type("IHDR"), kPLTE = Type("PLTE"), kTRNS = Type("tRNS"), kIDAT = Type("IDAT"),
                   kIEND = Type("IEND");
// The chunks a filtered image keeps from its file: what it says of its
// colours (profile, colour space, gamma, primaries, coding-independent code
// points), of the picture (physical size, text, Exif). Every other ancillary
// chunk is dropped: tRNS becomes alpha, sBIT, bKGD, hIST, sPLT and tIME
// describe samples, palettes or a moment that the filter changes.
constexpr uint32_t kKeptTypes[] = {Type("iCCP"), Type("sRGB"), Type("gAMA"), Type("cHRM"), Type("cICP"),
                                   Type("pHYs"), Type("tEXt"), Type("zTXt"), Type("iTXt"), Type("eXIf")};
// Of those, the ones PNG allows after the image data as well as before.
constexpr uint32_t kAllowedAfterImageData[] = {Type("tEXt"), Type("zTXt"), Type("iTXt"), Type("eXIf")};
template <size_t N>
constexpr bool OneOf(uint32_t type, const uint32_t (&types)[N]) {
    for (uint32_t t : types)
        if (t == type) return true;
    return false;
}

inline uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline void Set32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}

inline std::string TypeName(uint32_t type) {
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(type >> shift);
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? std::string(1, c) : "?";
    }
    return name;
}

// A chunk type is four ASCII letters; bit 5 of the first says "ancillary".
inline bool ValidType(uint32_t type) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        const uint8_t c = uint8_t(type >> shift);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}
inline bool Critical(uint32_t type) { return (type & 0x20000000u) == 0; }

inline int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}
inline bool Seek(std::FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, offset, whence) == 0;
#else
    return fseeko(f, off_t(offset), whence) == 0;
#endif
}

}  // namespace filterhost::png
