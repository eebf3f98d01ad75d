// The three rectangle shapes: field order, the 16-bit limits, null arguments.
#include <gtest/gtest.h>

#include "plugin/util/Rectangles.h"
#include "plugin/util/ResultCodes.h"

namespace tavirel {
namespace {

TEST(RectanglesTest, RoundTripsKeepEveryField) {
    const Rect host{-7, 3, 200, 400};  // top, left, bottom, right
    SystemRect system{};
    ASSERT_EQ(SystemRectFromHostRect(&host, &system), kOk);
    EXPECT_EQ(system.left, 3);
    EXPECT_EQ(system.top, -7);
    EXPECT_EQ(system.right, 400);
    EXPECT_EQ(system.bottom, 200);
    PreviewRect preview{};
    ASSERT_EQ(PreviewRectFromSystemRect(&system, &preview), kOk);
    EXPECT_EQ(preview.top, -7);
    EXPECT_EQ(preview.left, 3);
    EXPECT_EQ(preview.right, 400);
    EXPECT_EQ(preview.bottom, 200);
    Rect back{};
    ASSERT_EQ(HostRectFromPreviewRect(&preview, &back), kOk);
    EXPECT_EQ(back.top, host.top);
    EXPECT_EQ(back.left, host.left);
    EXPECT_EQ(back.bottom, host.bottom);
    EXPECT_EQ(back.right, host.right);
    ASSERT_EQ(PreviewRectFromHostRect(&host, &preview), kOk);
    SystemRect again{};
    ASSERT_EQ(SystemRectFromPreviewRect(&preview, &again), kOk);
    EXPECT_EQ(again.right, 400);
}

TEST(RectanglesTest, SixteenBitLimits) {
    Rect host{1, 1, 1, 1};
    const SystemRect edges{-32768, 32767, -32768, 32767};
    EXPECT_EQ(HostRectFromSystemRect(&edges, &host), kOk);
    EXPECT_EQ(host.left, -32768);
    EXPECT_EQ(host.top, 32767);
    for (const SystemRect& bad : {SystemRect{32768, 0, 0, 0}, SystemRect{0, -32769, 0, 0}, SystemRect{0, 0, 70000, 0},
                                  SystemRect{0, 0, 0, -40000}}) {
        Rect untouched{5, 6, 7, 8};
        EXPECT_EQ(HostRectFromSystemRect(&bad, &untouched), kParamErr);
        EXPECT_EQ(untouched.top, 5);
        EXPECT_EQ(untouched.right, 8);
    }
    Point point{};
    const SystemPoint p{12, -34};
    ASSERT_EQ(HostPointFromSystemPoint(&p, &point), kOk);
    EXPECT_EQ(point.v, -34);
    EXPECT_EQ(point.h, 12);
    const SystemPoint far{0, 40000};
    EXPECT_EQ(HostPointFromSystemPoint(&far, &point), kParamErr);
    EXPECT_EQ(SystemRectFromHostRect(nullptr, nullptr), kParamErr);
    EXPECT_EQ(HostPointFromSystemPoint(nullptr, &point), kParamErr);
    EXPECT_TRUE(IsEmpty(PreviewRect{5, 0, 10, 5}));
    EXPECT_TRUE(IsEmpty(PreviewRect{0, 10, 10, 5}));
    EXPECT_FALSE(IsEmpty(PreviewRect{0, 0, 1, 1}));
}

}  // namespace
}  // namespace tavirel
