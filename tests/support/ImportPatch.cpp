#include "ImportPatch.h"

#include <cstdint>

namespace filterhost {

void* PatchImport(HMODULE module, const char* library, const char* function, void* replacement) {
    auto* base = reinterpret_cast<uint8_t*>(module);
    if (base == nullptr) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
        // The names are in the original thunks; the addresses the loader
        // filled in are in the first thunks, side by side.
        const DWORD names = entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names);
        auto* address = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++address) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection;
            if (!VirtualProtect(&address->u1.Function, sizeof address->u1.Function, PAGE_READWRITE, &protection))
                return nullptr;
            void* previous = reinterpret_cast<void*>(address->u1.Function);
            address->u1.Function = reinterpret_cast<uintptr_t>(replacement);
            VirtualProtect(&address->u1.Function, sizeof address->u1.Function, protection, &protection);
            return previous;
        }
    }
    return nullptr;
}

}  // namespace filterhost
