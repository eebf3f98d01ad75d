#include "ErrorMessage.h"

#include <windows.h>

#include "../util/ResultCodes.h"
#include "ModuleState.h"

namespace tavirel {

void ShowErrorMessage(int id) {
    HWND owner = GetForegroundWindow();
    char caption[64] = "";
    char text[256] = "";
    LoadStringA(PluginInstance(), UINT(kStrPluginName), caption, sizeof caption);
    LoadStringA(PluginInstance(), UINT(uint16_t(int16_t(id))), text, sizeof text);
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONHAND | MB_TASKMODAL);  // 0x2010
}

}  // namespace tavirel
