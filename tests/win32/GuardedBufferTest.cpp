// The host's guarded tile buffers: whatever sizes follow each other, the byte
// after the buffer and the page before its first page are no-access, every
// byte of it can be written, and memory is kept while the sizes fit it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "filterhost/lib/GuardedBuffer.h"

namespace tavirel::test {
namespace {

using filterhost::GuardedBuffer;

DWORD Protection(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(address, &info, sizeof info) != sizeof info) return 0;
    return info.State == MEM_COMMIT ? info.Protect : 0;
}

size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

// The guards around the buffer as it is now, and all of it writable.
void ExpectGuarded(const GuardedBuffer& buffer, size_t size) {
    ASSERT_EQ(buffer.size(), size);
    auto* data = static_cast<uint8_t*>(buffer.data());
    ASSERT_NE(data, nullptr);
    const size_t page = PageSize();
    const auto* firstPage = reinterpret_cast<const uint8_t*>(uintptr_t(data) / page * page);
    EXPECT_EQ(Protection(data), DWORD(PAGE_READWRITE)) << size;
    EXPECT_EQ(Protection(data + size - 1), DWORD(PAGE_READWRITE)) << size;
    EXPECT_EQ(Protection(data + size), DWORD(PAGE_NOACCESS)) << "no guard after " << size << " bytes";
    EXPECT_EQ(uintptr_t(data + size) % page, 0u) << "the buffer does not end at the guard";
    EXPECT_EQ(Protection(firstPage - 1), DWORD(PAGE_NOACCESS)) << "no guard before " << size << " bytes";
    std::memset(data, 0x5A, size);
    EXPECT_EQ(data[0], 0x5A);
    EXPECT_EQ(data[size - 1], 0x5A);
}

TEST(GuardedBufferTest, EverySizeEndsAtAGuardPage) {
    const size_t page = PageSize();
    GuardedBuffer buffer;
    EXPECT_EQ(buffer.data(), nullptr);
    for (size_t size : {size_t(1), page - 1, page, page + 1, 3 * page + 17}) {
        ASSERT_TRUE(buffer.Reset(size));
        ExpectGuarded(buffer, size);
    }
}

TEST(GuardedBufferTest, SmallerAndEqualSizesKeepTheMemory) {
    const size_t page = PageSize();
    GuardedBuffer buffer;
    ASSERT_TRUE(buffer.Reset(256 * 256 * 3));
    const size_t capacity = buffer.capacity();
    const uintptr_t end = uintptr_t(buffer.data()) + buffer.size();
    // The preview's tile sizes at 100 %, in the order its walk asks for them,
    // twice; then sizes that share pages with others and one of a single byte.
    const size_t sizes[] = {256 * 256 * 3, 128 * 256 * 3, 256 * 3 * 3, 128 * 3 * 3, 256 * 256 * 3, 128 * 256 * 3,
                            256 * 3 * 3,   128 * 3 * 3,   page,        page + 1,    2 * page,      1};
    for (size_t size : sizes) {
        ASSERT_TRUE(buffer.Reset(size));
        ExpectGuarded(buffer, size);
        EXPECT_EQ(buffer.capacity(), capacity) << size;
        EXPECT_EQ(uintptr_t(buffer.data()) + size, end) << "moved to other memory at " << size;
    }
    // The pages given up at the front are no-access again: a smaller buffer
    // after a larger one has its guard right before its first page.
    ASSERT_TRUE(buffer.Reset(page / 2));
    const auto* data = static_cast<const uint8_t*>(buffer.data());
    EXPECT_EQ(Protection(data - page / 2 - 1), DWORD(PAGE_NOACCESS));
    EXPECT_EQ(Protection(data - page / 2 - 1 - 40 * page), DWORD(PAGE_NOACCESS));
}

TEST(GuardedBufferTest, ALargerSizeTakesNewMemoryAndZeroFreesIt) {
    const size_t page = PageSize();
    GuardedBuffer buffer;
    ASSERT_TRUE(buffer.Reset(2 * page));
    ASSERT_TRUE(buffer.Reset(5 * page + 3));
    ExpectGuarded(buffer, 5 * page + 3);
    EXPECT_EQ(buffer.capacity(), 6 * page);
    ASSERT_TRUE(buffer.Reset(0));
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 0u);
    ASSERT_TRUE(buffer.Reset(7));
    ExpectGuarded(buffer, 7);
}

}  // namespace
}  // namespace tavirel::test
