// Reads a plug-in property list (the PiPL resource's bytes): a 16-bit
// reserved word, a 32-bit version, a 32-bit count, then the properties, each
// vendor, key, id, length and data padded to four bytes, all little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace filterhost {

struct PiplProperty {
    uint32_t vendor = 0;
    uint32_t key = 0;
    uint32_t id = 0;
    uint32_t length = 0;        // as stored, without padding
    std::vector<uint8_t> data;  // length bytes
};

struct Pipl {
    uint16_t reserved = 0;
    uint32_t version = 0;
    std::vector<PiplProperty> properties;

    const PiplProperty* Find(uint32_t key) const;
    // The property naming the entry point for this host's own processor:
    // 'wx86' in a 32-bit host, '8664' in a 64-bit one.
    static uint32_t EntryPointKey();
    // That entry point's name (up to its zero), or empty.
    std::string EntryPointName() const;
    // The 'kind' code, or 0.
    uint32_t Kind() const;
};

// false (with a reason) when the bytes end inside a header or a property.
bool ParsePipl(const uint8_t* bytes, size_t size, Pipl* out, std::string* error);

// '8BIM' as text, for messages.
std::string FourCharText(uint32_t code);

}  // namespace filterhost
