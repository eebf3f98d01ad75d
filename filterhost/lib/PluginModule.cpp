#include "PluginModule.h"

#include "CommonControls.h"
#include "FilePaths.h"

namespace filterhost {
namespace {

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    auto* out = reinterpret_cast<std::string*>(found);
    *out = IS_INTRESOURCE(name) ? "#" + std::to_string(uintptr_t(name)) : std::string(name);
    return FALSE;  // the first is enough
}

}  // namespace

std::vector<uint8_t> ReadPiplResource(HMODULE module) {
    std::string name;
    EnumResourceNamesA(module, "PIPL", FirstName, reinterpret_cast<LONG_PTR>(&name));
    if (name.empty()) return {};
    HRSRC found = FindResourceA(module, name.c_str(), "PIPL");
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
    if (bytes == nullptr) return {};
    return std::vector<uint8_t>(bytes, bytes + size);
}

PluginModule::~PluginModule() {
    if (module_ != nullptr) FreeLibrary(module_);
}

bool PluginModule::Load(const std::string& path, std::string* error, bool barClasses) {
    PrepareBarClasses(barClasses);
    module_ = LoadLibraryW(SystemPath(path).c_str());
    if (module_ == nullptr) {
        const DWORD code = GetLastError();
        *error = "cannot load the plug-in " + path + ": " + SystemErrorText(code);
        return false;
    }
    const std::vector<uint8_t> bytes = ReadPiplResource(module_);
    if (bytes.empty()) {
        *error = path + " has no PiPL resource: it is not a filter plug-in";
        return false;
    }
    std::string why;
    if (!ParsePipl(bytes.data(), bytes.size(), &pipl_, &why)) {
        *error = path + ": unreadable PiPL: " + why;
        return false;
    }
    if (pipl_.Kind() != kFilterKind) {
        *error = path + " is of kind '" + FourCharText(pipl_.Kind()) + "', not a filter ('8BFM')";
        return false;
    }
    const std::string entryName = pipl_.EntryPointName();
    if (entryName.empty()) {
        *error = path + " names no entry point for this processor (no '" + FourCharText(Pipl::EntryPointKey()) +
                 "' property)";
        return false;
    }
    // Through a generic function pointer: the export is the C entry point, not a FARPROC.
    entry_ = reinterpret_cast<PluginEntry>(reinterpret_cast<void (*)()>(GetProcAddress(module_, entryName.c_str())));
    if (entry_ == nullptr) {
        *error = path + " does not export its entry point " + entryName;
        return false;
    }
    return true;
}

}  // namespace filterhost
