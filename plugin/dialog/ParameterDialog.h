// The modal parameter dialog that Start shows before filtering.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// What the dialog is opened with.
struct DialogStartRecord {
    FilterRecord* filterRecord;
    int32_t pairCount;      // 5
    int32_t firstTrackbar;  // 101
    int32_t firstEdit;      // 201
    int32_t decimals;       // 1: the edits show tenths
};

// Runs the dialog over the host's window, with the preview class registered
// for its life. 0 when confirmed with OK (currentParameters then holds what
// the dialog showed), 1 when left with Cancel, or the system's error code
// (-108 when it gives none) when the dialog could not be shown.
int RunParameterDialog(FilterRecord* record);

INT_PTR CALLBACK ParameterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavirel
