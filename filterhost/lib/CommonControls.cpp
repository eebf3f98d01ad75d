#include "CommonControls.h"

#include <windows.h>
#include <commctrl.h>

namespace filterhost {

void PrepareBarClasses(bool provide) {
    if (provide) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
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
