#include "ModuleState.h"

namespace tavirel {
namespace {

HINSTANCE moduleInstance = nullptr;
const PlatformData* hostPlatformData = nullptr;

}  // namespace

HINSTANCE PluginInstance() { return moduleInstance; }
void SetPluginInstance(HINSTANCE instance) { moduleInstance = instance; }

void RememberHostPlatformData(const void* platformData) {
    hostPlatformData = static_cast<const PlatformData*>(platformData);
}

HWND HostWindow() { return hostPlatformData ? reinterpret_cast<HWND>(hostPlatformData->hwnd) : nullptr; }

}  // namespace tavirel
