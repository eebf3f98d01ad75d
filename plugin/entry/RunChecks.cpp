#include "RunChecks.h"

#include <windows.h>

#include "../util/ResultCodes.h"
#include "ErrorMessage.h"

namespace tavirel {
namespace {

// A failing query leaves the structure zeroed, which passes.
bool SystemTooOld() {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    GetVersionExA(&info);
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion <= 4;
}

int FirstDocumentFailure(const FilterRecord* record) {
    if (record->imageMode != plugInModeRGBColor && record->imageMode != plugInModeRGB48) return kMsgBadImageMode;
    if (record->planes < 3) return kMsgTooFewPlanes;
    if (record->advanceState == nullptr) return kMsgNoAdvanceState;
    return kOk;
}

int Shown(int code) {
    if (code != kOk) ShowErrorMessage(code);
    return code;
}

}  // namespace

int RunChecks(const FilterRecord* record) {
    return Shown(SystemTooOld() ? kMsgIncompatibleSystem : FirstDocumentFailure(record));
}

int RunDocumentChecks(const FilterRecord* record) { return Shown(FirstDocumentFailure(record)); }

}  // namespace tavirel
