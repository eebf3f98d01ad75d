// Result codes of the plug-in beyond the host's own (hostapi/HostInterface.h).
// Negative values are host error numbers; positive values below are string-table
// ids, shown to the user (or, for 2010, returned unshown); 1 ends a step silently.
#pragma once

#include <cstdint>

namespace tavirel {

constexpr int32_t kOk = 0;
constexpr int32_t kSilentStop = 1;  // Cancel, a user abort, or a hidden Parameters code

constexpr int32_t kParamErr = -50;
constexpr int32_t kFileNotFound = -43;  // no folder, or an open that failed without a code
constexpr int32_t kMemFull = -108;
constexpr int32_t kNilHandle = -109;         // also a missing dialog control
constexpr int32_t kNoAddress = -114;         // locking gave no address
constexpr int32_t kStringTooLong = -149;     // a counted string would pass 255 characters
constexpr int32_t kResourceNotFound = -192;  // a missing string
constexpr int32_t kFilterBadParameters = -30100;

// String-table ids that double as result codes.
constexpr int32_t kMsgIncompatibleSystem = 1011;
constexpr int32_t kMsgNoAdvanceState = 1202;
constexpr int32_t kMsgNoDisplayPixels = 1203;   // returned by the preview, never shown
constexpr int32_t kMsgNoDialogControls = 1204;  // the host lacks the common controls the dialog needs
// The system's ERROR_CANNOT_FIND_WND_CLASS, as a dialog that could not be made returns it.
constexpr int32_t kSystemNoWindowClass = 1407;
constexpr int32_t kMsgTooFewPlanes = 1301;
constexpr int32_t kMsgBadImageMode = 1303;
constexpr int32_t kMsgUnknownParameters = 2010;
constexpr int32_t kMsgForeignParameters = 2011;
constexpr int32_t kMsgUnknownFileType = 2012;
constexpr int32_t kMsgUnreadableVersion = 2013;
constexpr int32_t kStrPluginName = 16000;

}  // namespace tavirel
