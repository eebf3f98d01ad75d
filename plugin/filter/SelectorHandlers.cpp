#include "SelectorHandlers.h"

#include "../dialog/ParameterDialog.h"
#include "../entry/ErrorMessage.h"
#include "../entry/RunChecks.h"
#include "../host/HandleSuite.h"
#include "../persistence/SettingsFile.h"
#include "../util/ResultCodes.h"
#include "ActionDescriptor.h"
#include "FilterLoop.h"
#include "FilterParameters.h"
#include "ParameterHandle.h"

namespace tavirel {
namespace {

// A new handle holding the header, the defaults and, when the settings file
// can be read, its last confirmed settings.
int CreateParameterHandle(FilterRecord* record) {
    Handle h = NewHostHandle(record, int32(sizeof(ParameterRecord)));
    if (h == nullptr) return kMemFull;
    {
        HandleLock lock(record, h, false);
        if (lock.address() == nullptr) {
            DisposeHostHandle(record, h);
            return kNoAddress;
        }
        auto* stored = reinterpret_cast<ParameterRecord*>(lock.address());
        WriteRecordHeader(stored);
        SetDefaultParameters(&stored->parameters);
        // A missing or unreadable settings file never stops the filter.
        if (ReadSettingsFile(stored) == kOk) {
            ClampParameters(&stored->parameters);
            stored->parameters.showDialog = 1;
        }
    }
    record->parameters = h;
    return kOk;
}

// A handle the host kept: clamped and marked to show the dialog, or 2010 and
// untouched when it is not ours.
int RearmParameterHandle(FilterRecord* record) {
    HandleLock lock(record, record->parameters, false);
    if (lock.address() == nullptr) return kNoAddress;
    auto* stored = reinterpret_cast<ParameterRecord*>(lock.address());
    if (stored->signature != kRecordSignature) return kMsgUnknownParameters;
    ClampParameters(&stored->parameters);
    stored->parameters.showDialog = 1;
    return kOk;
}

}  // namespace

int DoParameters(FilterRecord* record) {
    if (const int failed = RunChecks(record)) return failed;
    const int code = record->parameters == nullptr ? CreateParameterHandle(record) : RearmParameterHandle(record);
    if (code > 0 && record->hostSig != kPhotoshopSignature) return kSilentStop;
    return code;
}

int DoPrepare(FilterRecord* record) {
    record->bufferSpace = 0;
    return kOk;
}

int DoStart(FilterRecord* record) {
    // A host that keeps no handle between runs (or whose repeat of the last
    // filter skips Parameters) starts with none: made here as Parameters
    // makes it, so the person gets the dialog with the last confirmed settings.
    int code = record->parameters == nullptr ? CreateParameterHandle(record) : kOk;
    if (code == kOk) code = LoadParametersFromHandle(record);
    if (code == kOk) code = RunDocumentChecks(record);
    if (code == kOk) {
        // Recorded values take the place of the handle's before anything
        // else sees them; a key the descriptor lacks keeps the handle's value.
        const bool played = ReadActionDescriptor(record, &currentParameters);
        // A record altered outside the plug-in must never reach the engine.
        ClampParameters(&currentParameters);
        void* workBlock = NewLockedBlock(record, 0);
        if (workBlock == nullptr) {
            code = kMemFull;
        } else {
            const PlaybackDialog playback = PlaybackDialogFor(record, played);
            const bool dialog = playback == PlaybackDialog::AsRecord ? currentParameters.showDialog != 0
                                                                     : playback == PlaybackDialog::Show;
            if (dialog) {
                code = RunParameterDialog(record);
                // A dialog that could not be made for want of the common
                // controls: said, and nothing changes.
                if (code == kSystemNoWindowClass) {
                    ShowErrorMessage(kMsgNoDialogControls);
                    code = kMsgNoDialogControls;
                }
                if (code == kOk) {
                    currentParameters.showDialog = 0;
                    StoreParametersToHandle(record);  // a failed store never stops the run
                }
            }
            // What the host records of this run: the values it filters with.
            // A host that cannot take them still gets its pixels.
            if (code == kOk) WriteActionDescriptor(record, currentParameters);
            if (code == kOk) code = RunFilterLoop(record);
            FreeLockedBlock(record, workBlock);
        }
    }
    ClearRequests(record);
    return code;
}

int DoContinue(FilterRecord* record) {
    ClearRequests(record);
    return kOk;
}

int DoFinish(FilterRecord* record) {
    ClearRequests(record);
    return kOk;
}

}  // namespace tavirel
