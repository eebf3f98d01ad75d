// The library's one export and its process-attach routine.
#include <windows.h>

#include "../host/DocumentRects.h"
#include "../../hostapi/HostInterface.h"
#include "../dialog/AboutBox.h"
#include "../filter/SelectorHandlers.h"
#include "../util/ResultCodes.h"
#include "ModuleState.h"

using namespace tavirel;

namespace {

int Dispatch(int16 selector, void* record) {
    auto* filter = static_cast<FilterRecord*>(record);
    switch (selector) {
        case filterSelectorAbout: return ShowAboutBox(static_cast<AboutRecord*>(record));
        case filterSelectorParameters: return DoParameters(filter);
        case filterSelectorPrepare: return DoPrepare(filter);
        case filterSelectorStart: return DoStart(filter);
        case filterSelectorContinue: return DoContinue(filter);
        case filterSelectorFinish: return DoFinish(filter);
        default: return kFilterBadParameters;
    }
}

}  // namespace

extern "C" void HOST_CALLBACK ENTRYPOINT(int16 selector, void* record, intptr_t* /*data*/, int16* result) {
    if (selector >= filterSelectorParameters && selector <= filterSelectorFinish) {
        auto* filter = static_cast<FilterRecord*>(record);
        RememberHostPlatformData(filter->platformData);
        // A host that leaves depth at 0 means 8 bits a sample.
        if (filter->depth == 0) filter->depth = 8;
        // A host that offers big documents gets its 32-bit rectangles used.
        UseBigDocumentCoordinates(filter);
    }
    *result = int16(Dispatch(selector, record));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetPluginInstance(instance);
    return TRUE;
}
