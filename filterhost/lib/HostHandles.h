// Our host's handle suite: blocks whose first field is the data pointer (so a
// plug-in that dereferences a handle finds its bytes), with every allocation
// and lock counted so a run can report what it left behind.
#pragma once

#include <cstdint>
#include <vector>

#include "../../hostapi/HostInterface.h"

namespace filterhost {

struct HandleCounts {
    int live = 0;         // handles allocated and not disposed
    int locksHeld = 0;    // locks not yet unlocked, over all live handles
    int allocations = 0;  // every newProc that returned a handle
    int badCalls = 0;     // a proc called with a handle we never gave out
};

HandleProcs* HostHandleProcs();
HandleCounts CurrentHandleCounts();

// For the host's own use: a handle holding bytes (the parameter handle of a
// run read from a file), the bytes of a handle, its lock count, disposal.
Handle NewHandleWithBytes(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> HandleBytes(Handle h);
int HandleLockCount(Handle h);
void DisposeHandle(Handle h);
bool IsLiveHandle(Handle h);

}  // namespace filterhost
