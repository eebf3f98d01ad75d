// A buffer that sits between no-access pages: its last byte is the last byte
// before a guard page, so any read or write past its end faults at once, and
// the page before its first byte's page is no-access too, which catches
// underruns beyond the page rounding.
#pragma once

#include <cstddef>

namespace filterhost {

class GuardedBuffer {
public:
    GuardedBuffer() = default;
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // Gives the buffer `size` bytes, keeping the memory it has when that is
    // large enough; size 0 frees it. The contents are unspecified (every
    // caller overwrites them). false when the system has no memory.
    bool Reset(size_t size);
    void* data() const { return data_; }
    size_t size() const { return size_; }
    // The bytes between the guard pages, a whole number of pages.
    size_t capacity() const { return capacity_; }

private:
    void Release();
    char* FirstOpenPage(size_t size) const;
    char* base_ = nullptr;  // the leading guard page
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t page_ = 0;
};

}  // namespace filterhost
