#include "GuardedBuffer.h"

#include <windows.h>

namespace filterhost {

GuardedBuffer::~GuardedBuffer() { Release(); }

void GuardedBuffer::Release() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    base_ = data_ = nullptr;
    size_ = 0;
}

bool GuardedBuffer::Reset(size_t size) {
    // Same size as before: the pages are reused (every caller overwrites the
    // contents), which keeps a run of equal tiles free of system calls.
    if (size != 0 && size == size_) return true;
    Release();
    if (size == 0) return true;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t body = (size + page - 1) / page * page;
    char* base = static_cast<char*>(VirtualAlloc(nullptr, body + 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base == nullptr) return false;
    DWORD old;
    VirtualProtect(base, page, PAGE_NOACCESS, &old);
    VirtualProtect(base + page + body, page, PAGE_NOACCESS, &old);
    base_ = base;
    data_ = base + page + (body - size);
    size_ = size;
    return true;
}

}  // namespace filterhost
