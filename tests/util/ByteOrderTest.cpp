#include <gtest/gtest.h>

#include "plugin/util/ByteOrder.h"
#include "plugin/util/ResultCodes.h"

namespace tavirel {
namespace {

TEST(ByteOrderTest, ReversalAndBigEndianAccess) {
    uint32_t v = 0x11223344;
    EXPECT_EQ(ReverseBytes32(&v), kOk);
    EXPECT_EQ(v, 0x44332211u);
    EXPECT_EQ(ReverseBytes32(nullptr), kParamErr);
    static_assert(SwapBytes32(0xA1B2C3D4) == 0xD4C3B2A1);

    unsigned char bytes[4];
    StoreBigEndian32(bytes, 0x54767231);  // 'Tvr1'
    EXPECT_EQ(bytes[0], 'T');
    EXPECT_EQ(bytes[3], '1');
    EXPECT_EQ(LoadBigEndian32(bytes), 0x54767231u);
    StoreBigEndian32(bytes, 0xFFFFFFFF);
    EXPECT_EQ(LoadBigEndian32(bytes), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tavirel
