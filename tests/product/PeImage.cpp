#include "PeImage.h"

#include <fstream>
#include <iterator>

namespace tavirel::test {
namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

const uint8_t* PeImage::At(uint32_t rva, uint32_t size) const {
    for (const Section& s : sections_) {
        if (rva >= s.rva && rva - s.rva + uint64_t(size) <= s.fileSize)
            return file_.data() + s.fileOffset + (rva - s.rva);
    }
    return nullptr;
}

std::string PeImage::TextAt(uint32_t rva) const {
    std::string text;
    for (const uint8_t* p = At(rva, 1); p != nullptr && *p != 0; p = At(++rva, 1)) text.push_back(char(*p));
    return text;
}

bool PeImage::Load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    file_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file_.size() < 0x40 || file_[0] != 'M' || file_[1] != 'Z') {
        *error = "not an MZ file";
        return false;
    }
    const uint32_t pe = Le32(&file_[0x3C]);
    if (pe + 24 > file_.size() || Le32(&file_[pe]) != 0x00004550) {
        *error = "no PE header";
        return false;
    }
    const uint8_t* coff = &file_[pe + 4];
    machine_ = Le16(coff);
    const uint16_t sectionCount = Le16(coff + 2);
    symbolTable_ = Le32(coff + 8);
    const uint32_t symbolCount = symbolCount_ = Le32(coff + 12);
    const uint16_t optionalSize = Le16(coff + 16);
    characteristics_ = Le16(coff + 18);
    const uint8_t* optional = coff + 20;
    optionalMagic_ = Le16(optional);
    // Data directories start at 96 (PE32) or 112 (PE32+) into the optional header.
    const uint8_t* directories = optional + (optionalMagic_ == 0x20B ? 112 : 96);
    const uint8_t* sectionTable = optional + optionalSize;
    if (size_t(sectionTable - file_.data()) + sectionCount * 40u > file_.size()) {
        *error = "section table runs past the end";
        return false;
    }
    for (int i = 0; i < sectionCount; ++i) {
        const uint8_t* s = sectionTable + 40 * i;
        Section section{Le32(s + 12), Le32(s + 8), Le32(s + 20), Le32(s + 16)};
        if (uint64_t(section.fileOffset) + section.fileSize > file_.size()) section.fileSize = 0;
        sections_.push_back(section);
        std::string name(reinterpret_cast<const char*>(s), 8);
        name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
        // A name longer than eight characters is "/offset" into the string
        // table that follows the symbol table (GNU ld writes .debug_* so).
        const uint64_t strings = uint64_t(symbolTable_) + 18ull * symbolCount;
        if (name.size() > 1 && name[0] == '/' && symbolTable_ != 0) {
            const uint64_t at = strings + std::stoul(name.substr(1));
            name.clear();
            for (uint64_t k = at; k < file_.size() && file_[k] != 0; ++k) name.push_back(char(file_[k]));
        }
        sectionNames_.push_back(name);
    }

    const uint32_t exportRva = Le32(directories);
    if (const uint8_t* e = exportRva ? At(exportRva, 40) : nullptr) {
        exportName_ = TextAt(Le32(e + 12));
        const uint32_t base = Le32(e + 16), nameCount = Le32(e + 24);
        const uint32_t namesRva = Le32(e + 32), ordinalsRva = Le32(e + 36);
        for (uint32_t i = 0; i < nameCount; ++i) {
            const uint8_t* name = At(namesRva + 4 * i, 4);
            const uint8_t* ordinal = At(ordinalsRva + 2 * i, 2);
            if (name && ordinal) exports_.push_back({TextAt(Le32(name)), base + Le16(ordinal)});
        }
        // Functions exported by ordinal only count too: report them unnamed.
        const uint32_t functionCount = Le32(e + 20);
        for (uint32_t i = uint32_t(exports_.size()); i < functionCount; ++i) exports_.push_back({"", 0});
    }
    const uint32_t importRva = Le32(directories + 8);
    for (uint32_t rva = importRva; rva != 0; rva += 20) {
        const uint8_t* d = At(rva, 20);
        if (d == nullptr || Le32(d + 12) == 0) break;
        imports_.push_back(TextAt(Le32(d + 12)));
    }
    resourceRva_ = Le32(directories + 16);
    return true;
}

std::optional<std::vector<uint8_t>> PeImage::Resource(const std::string& type, uint32_t id, uint32_t language) const {
    if (resourceRva_ == 0) return std::nullopt;
    // Finds the entry of one directory level by name or id; returns its offset word.
    auto find = [&](uint32_t directory, const std::string* name, uint32_t number) -> std::optional<uint32_t> {
        const uint8_t* d = At(resourceRva_ + directory, 16);
        if (d == nullptr) return std::nullopt;
        const int named = Le16(d + 12), numbered = Le16(d + 14);
        for (int i = 0; i < named + numbered; ++i) {
            const uint8_t* entry = At(resourceRva_ + directory + 16 + 8 * i, 8);
            if (entry == nullptr) return std::nullopt;
            const uint32_t key = Le32(entry), target = Le32(entry + 4);
            if (name != nullptr && (key & 0x80000000u)) {
                const uint8_t* s = At(resourceRva_ + (key & 0x7FFFFFFFu), 2);
                if (s == nullptr) continue;
                const uint16_t length = Le16(s);
                std::string text;
                for (uint16_t k = 0; k < length; ++k) {
                    const uint8_t* c = At(resourceRva_ + (key & 0x7FFFFFFFu) + 2 + 2 * k, 2);
                    text.push_back(c ? char(Le16(c)) : '?');
                }
                if (text == *name) return target;
            } else if (name == nullptr && !(key & 0x80000000u) && key == number) {
                return target;
            }
        }
        return std::nullopt;
    };
    std::optional<uint32_t> level;
    if (!type.empty() && type[0] == '#')
        level = find(0, nullptr, uint32_t(std::stoul(type.substr(1))));
    else
        level = find(0, &type, 0);
    if (!level || !(*level & 0x80000000u)) return std::nullopt;
    level = find(*level & 0x7FFFFFFFu, nullptr, id);
    if (!level || !(*level & 0x80000000u)) return std::nullopt;
    level = find(*level & 0x7FFFFFFFu, nullptr, language);
    if (!level || (*level & 0x80000000u)) return std::nullopt;
    const uint8_t* data = At(resourceRva_ + *level, 16);
    if (data == nullptr) return std::nullopt;
    const uint8_t* bytes = At(Le32(data), Le32(data + 4));
    if (bytes == nullptr) return std::nullopt;
    return std::vector<uint8_t>(bytes, bytes + Le32(data + 4));
}

std::optional<std::string> PeImage::String(uint32_t id, uint32_t language) const {
    // Strings live in blocks of sixteen: block id / 16 + 1, each string a
    // length word and that many UTF-16 code units.
    const auto block = Resource("#6", id / 16 + 1, language);
    if (!block) return std::nullopt;
    size_t at = 0;
    for (uint32_t i = 0; i < 16; ++i) {
        if (at + 2 > block->size()) return std::nullopt;
        const uint16_t length = Le16(&(*block)[at]);
        at += 2;
        if (at + 2u * length > block->size()) return std::nullopt;
        if (i == id % 16) {
            if (length == 0) return std::nullopt;
            std::string text;
            for (uint16_t k = 0; k < length; ++k) text.push_back(char(Le16(&(*block)[at + 2 * k])));
            return text;
        }
        at += 2u * length;
    }
    return std::nullopt;
}

}  // namespace tavirel::test
