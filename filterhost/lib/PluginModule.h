// A filter plug-in loaded into our host: the library, its property list and
// its entry point, found through the 'wx86' property.
#pragma once

#include <windows.h>

#include <string>

#include "../../hostapi/HostInterface.h"
#include "PiplReader.h"

namespace filterhost {

typedef void(HOST_CALLBACK* PluginEntry)(int16 selector, void* record, intptr_t* data, int16* result);

class PluginModule {
public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // false with a message naming what is missing: the library, a property
    // list, the filter kind '8BFM', an entry point name, the export. The
    // common controls' bar classes are registered first, as image editors
    // do, unless barClasses is false (see PrepareBarClasses).
    bool Load(const std::string& path, std::string* error, bool barClasses = true);

    const Pipl& pipl() const { return pipl_; }
    PluginEntry entry() const { return entry_; }
    HMODULE module() const { return module_; }

private:
    HMODULE module_ = nullptr;
    Pipl pipl_;
    PluginEntry entry_ = nullptr;
};

// The first PIPL resource's bytes of a loaded module, or empty.
std::vector<uint8_t> ReadPiplResource(HMODULE module);

}  // namespace filterhost
