#include "GuardedBuffer.h"

#include <windows.h>

namespace filterhost {
namespace {

size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

size_t RoundUp(size_t size, size_t page) { return (size + page - 1) / page * page; }

}  // namespace

GuardedBuffer::~GuardedBuffer() { Release(); }

void GuardedBuffer::Release() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    base_ = data_ = nullptr;
    size_ = capacity_ = 0;
}

// The body's pages run from base_ + page_ to the trailing guard; a buffer of
// `size` bytes uses the last RoundUp(size) of them, and every page of the
// body before those is kept no-access.
char* GuardedBuffer::FirstOpenPage(size_t size) const { return base_ + page_ + capacity_ - RoundUp(size, page_); }

bool GuardedBuffer::Reset(size_t size) {
    if (size != 0 && size == size_) return true;
    if (size == 0) {
        Release();
        return true;
    }
    if (page_ == 0) page_ = PageSize();
    // Within the memory already held only the boundary between the no-access
    // and the open pages moves: one protection change, no new pages, where a
    // fresh allocation would cost two more and a fault on every page touched.
    if (base_ != nullptr && RoundUp(size, page_) <= capacity_) {
        char* const was = FirstOpenPage(size_);
        char* const now = FirstOpenPage(size);
        DWORD old;
        bool changed = true;
        if (now < was)
            changed = VirtualProtect(now, size_t(was - now), PAGE_READWRITE, &old) != 0;
        else if (now > was)
            changed = VirtualProtect(was, size_t(now - was), PAGE_NOACCESS, &old) != 0;
        if (changed) {
            data_ = base_ + page_ + capacity_ - size;
            size_ = size;
            return true;
        }
    }
    Release();
    const size_t body = RoundUp(size, page_);
    char* base = static_cast<char*>(VirtualAlloc(nullptr, body + 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base == nullptr) return false;
    DWORD old;
    VirtualProtect(base, page_, PAGE_NOACCESS, &old);
    VirtualProtect(base + page_ + body, page_, PAGE_NOACCESS, &old);
    base_ = base;
    capacity_ = body;
    data_ = base + page_ + (body - size);
    size_ = size;
    return true;
}

}  // namespace filterhost
