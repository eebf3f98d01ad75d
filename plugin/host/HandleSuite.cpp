#include "HandleSuite.h"

#include <cstring>

namespace tavirel {

bool HandleSuiteUsable(const FilterRecord* record) {
    if (record == nullptr) return false;
    const HandleProcs* procs = record->handleProcs;
    return procs != nullptr && procs->handleProcsVersion == kCurrentHandleProcsVersion && procs->numHandleProcs > 5 &&
           procs->newProc && procs->disposeProc && procs->getSizeProc && procs->setSizeProc && procs->lockProc &&
           procs->unlockProc;
}

Handle NewHostHandle(const FilterRecord* record, int32_t size) {
    if (!HandleSuiteUsable(record)) return nullptr;
    return record->handleProcs->newProc(size == 0 ? 1 : size);
}

void DisposeHostHandle(const FilterRecord* record, Handle h) {
    if (h != nullptr && HandleSuiteUsable(record)) record->handleProcs->disposeProc(h);
}

Ptr LockHostHandle(const FilterRecord* record, Handle h, bool moveHigh) {
    if (h == nullptr || !HandleSuiteUsable(record)) return nullptr;
    return record->handleProcs->lockProc(h, moveHigh ? 1 : 0);
}

void UnlockHostHandle(const FilterRecord* record, Handle h) {
    if (h != nullptr && HandleSuiteUsable(record)) record->handleProcs->unlockProc(h);
}

void* NewLockedBlock(const FilterRecord* record, int32_t size) {
    Handle h = NewHostHandle(record, size + int32_t(sizeof(Handle)));
    if (h == nullptr) return nullptr;
    Ptr address = LockHostHandle(record, h, true);
    if (address == nullptr) {
        DisposeHostHandle(record, h);
        return nullptr;
    }
    std::memcpy(address, &h, sizeof h);
    return address + sizeof h;
}

void FreeLockedBlock(const FilterRecord* record, void* block) {
    if (block == nullptr) return;
    Handle h;
    std::memcpy(&h, static_cast<char*>(block) - sizeof h, sizeof h);
    UnlockHostHandle(record, h);
    DisposeHostHandle(record, h);
}

}  // namespace tavirel
