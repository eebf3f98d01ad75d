#include "CommonControls.h"

#include <windows.h>
#include <commctrl.h>

namespace filterhost {

void PrepareBarClasses(bool provide) {
    if (provide) {
        // Found at run time rather than imported: Wine's comctl32 opens a
        // window on the desktop of the thread that loads it, and an import
        // would load it before main has moved to the desktop the wrapper
        // gave (WrapperChannel.h), starting Wine's process for the default
        // desktop in a run that shows nothing there.
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        if (HMODULE library = LoadLibraryA("comctl32.dll"))
            if (auto init = reinterpret_cast<InitControls>(
                    reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx"))))
                init(&classes);
        return;
    }
    // Wine's comctl32 registers all of its classes as soon as it is loaded,
    // and the system libraries load it into every process; so a host without
    // the class is imitated by taking the class away again. Registration
    // does not bring it back in this process.
    if (HMODULE library = LoadLibraryA("comctl32.dll")) {
        UnregisterClassA(TRACKBAR_CLASSA, library);
        UnregisterClassA(TRACKBAR_CLASSA, nullptr);
    }
}

}  // namespace filterhost
