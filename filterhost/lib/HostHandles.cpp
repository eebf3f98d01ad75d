#include "HostHandles.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace filterhost {
namespace {

struct Block {
    char* data;  // first, so that *handle is the data
    int32 size;
    int32 locks;
};

std::set<Block*> liveBlocks;
HandleCounts counts;

Block* Find(Handle h) {
    Block* b = reinterpret_cast<Block*>(h);
    if (b == nullptr || liveBlocks.count(b) == 0) {
        ++counts.badCalls;
        return nullptr;
    }
    return b;
}

Handle HOST_CALLBACK NewProc(int32 size) {
    if (size < 0) return nullptr;
    Block* b = new Block{static_cast<char*>(std::calloc(size_t(size) + 1, 1)), size, 0};
    if (b->data == nullptr) {
        delete b;
        return nullptr;
    }
    liveBlocks.insert(b);
    ++counts.live;
    ++counts.allocations;
    return reinterpret_cast<Handle>(b);
}

void HOST_CALLBACK DisposeProc(Handle h) {
    Block* b = Find(h);
    if (b == nullptr) return;
    counts.locksHeld -= b->locks;
    liveBlocks.erase(b);
    --counts.live;
    std::free(b->data);
    delete b;
}

int32 HOST_CALLBACK GetSizeProc(Handle h) {
    Block* b = Find(h);
    return b ? b->size : 0;
}

OSErr HOST_CALLBACK SetSizeProc(Handle h, int32 size) {
    Block* b = Find(h);
    if (b == nullptr || size < 0) return nilHandleErr;
    if (b->locks > 0) return memFullErr;  // a locked block cannot move
    char* grown = static_cast<char*>(std::realloc(b->data, size_t(size) + 1));
    if (grown == nullptr) return memFullErr;
    if (size > b->size) std::memset(grown + b->size, 0, size_t(size - b->size));
    b->data = grown;
    b->size = size;
    return noErr;
}

Ptr HOST_CALLBACK LockProc(Handle h, Boolean) {
    Block* b = Find(h);
    if (b == nullptr) return nullptr;
    ++b->locks;
    ++counts.locksHeld;
    return b->data;
}

void HOST_CALLBACK UnlockProc(Handle h) {
    Block* b = Find(h);
    if (b == nullptr || b->locks == 0) return;
    --b->locks;
    --counts.locksHeld;
}

void HOST_CALLBACK RecoverSpaceProc(int32) {}

HandleProcs procs = {
    kCurrentHandleProcsVersion, 8,          NewProc, DisposeProc, GetSizeProc, SetSizeProc, LockProc, UnlockProc,
    RecoverSpaceProc,           DisposeProc};

}  // namespace

HandleProcs* HostHandleProcs() { return &procs; }
HandleCounts CurrentHandleCounts() { return counts; }

Handle NewHandleWithBytes(const std::vector<uint8_t>& bytes) {
    Handle h = NewProc(int32(bytes.size()));
    if (h != nullptr && !bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

std::vector<uint8_t> HandleBytes(Handle h) {
    Block* b = Find(h);
    if (b == nullptr) return {};
    return std::vector<uint8_t>(b->data, b->data + b->size);
}

int HandleLockCount(Handle h) {
    Block* b = Find(h);
    return b ? b->locks : 0;
}

void DisposeHandle(Handle h) { DisposeProc(h); }

bool IsLiveHandle(Handle h) { return liveBlocks.count(reinterpret_cast<Block*>(h)) != 0; }

}  // namespace filterhost
