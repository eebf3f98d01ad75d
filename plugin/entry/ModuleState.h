// Module-wide values kept for every other part of the plug-in.
#pragma once

#include <windows.h>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The module instance, set when the system attaches the library to the process.
HINSTANCE PluginInstance();
void SetPluginInstance(HINSTANCE instance);

// The host's platform data from the latest filter call; valid only while the
// host is inside the entry point.
void RememberHostPlatformData(const void* platformData);
// The host's main window, or null when the host gave no platform data.
HWND HostWindow();

}  // namespace tavirel
