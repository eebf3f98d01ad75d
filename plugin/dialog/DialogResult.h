// What the end of the modal parameter dialog means for Start.
#pragma once

#include <cstdint>

#include "../util/ResultCodes.h"
#include "ParameterDialogIds.h"

namespace tavirel {

// `ended` is what the system's modal dialog call returned and `lastError` the
// system's last error right after it. The dialog itself ends only with 1 (OK)
// or 2 (Cancel). -1 means it could not be created; 0 means the system refused
// the owner window and showed nothing, which must not pass for an OK. Both
// give the system's error code, or -108 when it reports none. Otherwise 1 for
// Cancel and 0, acceptance, for the rest.
constexpr int32_t DialogResultCode(intptr_t ended, uint32_t lastError) {
    if (ended == -1 || ended == 0) return lastError != 0 ? int32_t(lastError) : kMemFull;
    return ended == PARAM_DLG_CANCEL ? kSilentStop : kOk;
}

static_assert(DialogResultCode(1, 5) == 0 && DialogResultCode(2, 0) == 1);
static_assert(DialogResultCode(-1, 1407) == 1407 && DialogResultCode(-1, 0) == -108);
static_assert(DialogResultCode(0, 1400) == 1400);

}  // namespace tavirel
