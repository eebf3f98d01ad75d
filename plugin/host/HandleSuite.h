// The host's handle suite, the only way the plug-in obtains memory that
// outlives a call. Nothing outside this folder calls the raw procs.
#pragma once

#include <cstdint>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// The suite is used only when it is version 1, has more than five procs and
// the six the plug-in needs are all present; otherwise every allocation below
// yields null and every release does nothing.
bool HandleSuiteUsable(const FilterRecord* record);

// size 0 is asked for as 1 byte.
Handle NewHostHandle(const FilterRecord* record, int32_t size);
void DisposeHostHandle(const FilterRecord* record, Handle h);
Ptr LockHostHandle(const FilterRecord* record, Handle h, bool moveHigh);
void UnlockHostHandle(const FilterRecord* record, Handle h);

// A block of size bytes from one host handle of size + 4 bytes, locked with
// move-high; the handle sits in the first four bytes and the address after
// them is returned. Null when the suite is unusable or the host has no memory.
void* NewLockedBlock(const FilterRecord* record, int32_t size);
void FreeLockedBlock(const FilterRecord* record, void* block);

// Holds a host handle locked for one scope.
class HandleLock {
public:
    HandleLock(const FilterRecord* record, Handle h, bool moveHigh)
        : record_(record), handle_(h), address_(h ? LockHostHandle(record, h, moveHigh) : nullptr) {}
    ~HandleLock() {
        if (address_ != nullptr) UnlockHostHandle(record_, handle_);
    }
    HandleLock(const HandleLock&) = delete;
    HandleLock& operator=(const HandleLock&) = delete;

    Ptr address() const { return address_; }

private:
    const FilterRecord* record_;
    Handle handle_;
    Ptr address_;
};

}  // namespace tavirel
