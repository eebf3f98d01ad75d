// Reads a Windows PE file from disk without loading it: its machine, exports,
// imported DLL names, sections and resources. Enough to check the product .8bf on a
// machine that cannot run it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavirel::test {

struct PeExport {
    std::string name;
    uint32_t ordinal;
};

class PeImage {
public:
    bool Load(const std::string& path, std::string* error);

    uint16_t machine() const { return machine_; }
    uint16_t characteristics() const { return characteristics_; }
    uint16_t optionalMagic() const { return optionalMagic_; }
    std::string exportModuleName() const { return exportName_; }
    const std::vector<PeExport>& exports() const { return exports_; }
    const std::vector<std::string>& importedModules() const { return imports_; }
    // Section names, long ones ("/4") looked up in the COFF string table.
    const std::vector<std::string>& sectionNames() const { return sectionNames_; }
    // Symbols in the COFF symbol table: 0 once stripped (GNU strip may still
    // leave an empty table and its string table's length word).
    uint32_t symbolCount() const { return symbolCount_; }

    // A resource by type (a name such as "PIPL", or a number as "#6"), id and language.
    std::optional<std::vector<uint8_t>> Resource(const std::string& type, uint32_t id, uint32_t language) const;
    // A string of the string table, as UTF-16 code units turned to bytes (all ours are ASCII).
    std::optional<std::string> String(uint32_t id, uint32_t language) const;

private:
    const uint8_t* At(uint32_t rva, uint32_t size) const;
    std::string TextAt(uint32_t rva) const;

    std::vector<uint8_t> file_;
    struct Section {
        uint32_t rva, size, fileOffset, fileSize;
    };
    std::vector<Section> sections_;
    uint16_t machine_ = 0, characteristics_ = 0, optionalMagic_ = 0;
    uint32_t resourceRva_ = 0;
    std::string exportName_;
    std::vector<PeExport> exports_;
    std::vector<std::string> imports_;
    std::vector<std::string> sectionNames_;
    uint32_t symbolTable_ = 0, symbolCount_ = 0;
};

}  // namespace tavirel::test
