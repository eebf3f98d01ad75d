#include "ErrorMessage.h"

#include <windows.h>

#include "../util/ResultCodes.h"
#include "ModuleState.h"

namespace tavirel {

void ShowErrorMessage(int id) {
    // The host's window when it gave one: the foreground window may belong to
    // another program, whose window would then carry our box.
    HWND owner = HostWindow();
    if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
    char caption[64] = "";
    char text[256] = "";
    LoadStringA(PluginInstance(), UINT(kStrPluginName), caption, sizeof caption);
    LoadStringA(PluginInstance(), UINT(uint16_t(int16_t(id))), text, sizeof text);
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONHAND | MB_TASKMODAL);  // 0x2010
}

}  // namespace tavirel
