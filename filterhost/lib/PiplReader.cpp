#include "PiplReader.h"

#include "../../hostapi/HostInterface.h"

namespace filterhost {
namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

const PiplProperty* Pipl::Find(uint32_t key) const {
    for (const auto& p : properties)
        if (p.key == key) return &p;
    return nullptr;
}

uint32_t Pipl::EntryPointKey() {
#ifdef _WIN64
    return FourCharCode("8664");
#else
    return FourCharCode("wx86");
#endif
}

std::string Pipl::EntryPointName() const {
    const PiplProperty* p = Find(EntryPointKey());
    if (p == nullptr) return {};
    std::string name;
    for (uint8_t c : p->data) {
        if (c == 0) break;
        name.push_back(char(c));
    }
    return name;
}

uint32_t Pipl::Kind() const {
    const PiplProperty* p = Find(FourCharCode("kind"));
    return p != nullptr && p->data.size() >= 4 ? Le32(p->data.data()) : 0;
}

bool ParsePipl(const uint8_t* bytes, size_t size, Pipl* out, std::string* error) {
    *out = Pipl{};
    if (size < 10) {
        *error = "the property list is shorter than its header";
        return false;
    }
    out->reserved = uint16_t(bytes[0] | (bytes[1] << 8));
    out->version = Le32(bytes + 2);
    const uint32_t count = Le32(bytes + 6);
    size_t at = 10;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 16) {
            *error = "property " + std::to_string(i) + " has no complete header";
            return false;
        }
        PiplProperty p;
        p.vendor = Le32(bytes + at);
        p.key = Le32(bytes + at + 4);
        p.id = Le32(bytes + at + 8);
        p.length = Le32(bytes + at + 12);
        at += 16;
        // Some tools store the padded length; rounding up reads both forms.
        const size_t padded = (size_t(p.length) + 3) & ~size_t(3);
        if (p.length > size - at) {
            *error = "property " + FourCharText(p.key) + " runs past the end";
            return false;
        }
        p.data.assign(bytes + at, bytes + at + p.length);
        at += padded < size - at ? padded : size - at;
        out->properties.push_back(std::move(p));
    }
    return true;
}

std::string FourCharText(uint32_t code) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const char c = char((code >> (24 - 8 * i)) & 0xFF);
        s[i] = (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

}  // namespace filterhost
