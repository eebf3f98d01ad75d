// Zoom and pan of the preview: the worked cases and a seeded sweep of the invariants.
#include <gtest/gtest.h>

#include <string>

#include "common/TestRandom.h"
#include "plugin/preview/PreviewGeometry.h"

namespace tavirel {
namespace {

// The dialog's preview: 330 x 244 outer pixels, border included, from (-1, -1).
const Rect kView{-1, -1, 243, 329};  // top, left, bottom, right

FilterRecord Image(int width, int height, bool padding = true) {
    FilterRecord r{};
    r.imageSize.h = int16(width);
    r.imageSize.v = int16(height);
    r.supportsPadding = padding ? 1 : 0;
    return r;
}

PreviewRect Visible() { return VisibleRect(); }

TEST(PreviewGeometryTest, AnImageThatFitsStaysCentred) {
    FilterRecord r = Image(200, 100);
    LayoutPreview(&r, kView);
    EXPECT_EQ(FitFactor(&r), 1);
    EXPECT_EQ(PreviewZoomPercent(), 100u);
    EXPECT_EQ(r.inputRate, 0x10000);
    const PreviewRect& i = previewState.imageRect;
    EXPECT_EQ(i.left, -1 + (330 - 200) / 2);
    EXPECT_EQ(i.top, -1 + (244 - 100) / 2);
    EXPECT_EQ(i.right - i.left, 200);
    EXPECT_EQ(SetPreviewZoom(&r, -1), 0);
    EXPECT_EQ(SetPreviewZoom(&r, 0), 0);  // already at the fit
    EXPECT_EQ(PanImage(50, -30), 0);
    EXPECT_EQ(previewState.imageRect.left, i.left);
}

TEST(PreviewGeometryTest, LargeImageSteps) {
    FilterRecord r = Image(5000, 3000);
    LayoutPreview(&r, kView);
    EXPECT_EQ(FitFactor(&r), 16);
    EXPECT_EQ(previewState.zoomOut, 16u);
    EXPECT_EQ(PreviewZoomPercent(), 6u);
    EXPECT_EQ(r.inputRate, 16 << 16);
    EXPECT_EQ(SetPreviewZoom(&r, -1), 0);  // at the fit, out changes nothing
    // In: zoomOut falls to 1 first, then zoomIn rises to 16.
    for (uint32_t out = 15; out >= 1; --out) {
        ASSERT_EQ(SetPreviewZoom(&r, 1), 1);
        EXPECT_EQ(previewState.zoomOut, out);
        EXPECT_EQ(previewState.zoomIn, 1u);
        EXPECT_EQ(r.inputRate, Fixed(out << 16));
    }
    for (uint32_t in = 2; in <= 16; ++in) {
        ASSERT_EQ(SetPreviewZoom(&r, 1), 1);
        EXPECT_EQ(previewState.zoomIn, in);
        EXPECT_EQ(previewState.zoomOut, 1u);
    }
    EXPECT_EQ(PreviewZoomPercent(), 1600u);
    EXPECT_EQ(SetPreviewZoom(&r, 1), 0);
    // Out: zoomIn falls first.
    ASSERT_EQ(SetPreviewZoom(&r, -1), 1);
    EXPECT_EQ(previewState.zoomIn, 15u);
    // The zoom text: anything but 100 % goes to 100 %, 100 % goes to the fit.
    ASSERT_EQ(SetPreviewZoom(&r, 100), 1);
    EXPECT_EQ(previewState.zoomIn, 1u);
    EXPECT_EQ(previewState.zoomOut, 1u);
    ASSERT_EQ(SetPreviewZoom(&r, 0), 1);
    EXPECT_EQ(previewState.zoomOut, 16u);
    ASSERT_EQ(SetPreviewZoom(&r, 100), 1);
    EXPECT_EQ(PreviewZoomPercent(), 100u);
    // Reductions and magnifications by percentage.
    ASSERT_EQ(SetPreviewZoom(&r, 50), 1);
    EXPECT_EQ(previewState.zoomOut, 2u);
    ASSERT_EQ(SetPreviewZoom(&r, 2), 1);
    EXPECT_EQ(previewState.zoomOut, 16u);  // lowered to the fit
    ASSERT_EQ(SetPreviewZoom(&r, 349), 1);
    EXPECT_EQ(previewState.zoomIn, 3u);
    ASSERT_EQ(SetPreviewZoom(&r, 5000), 1);
    EXPECT_EQ(previewState.zoomIn, 16u);
}

TEST(PreviewGeometryTest, PercentagesOfReductions) {
    const uint32_t expected[] = {50, 33, 25, 20, 17, 14, 13, 11, 10, 9};
    for (uint32_t out = 2; out <= 11; ++out) {
        previewState.zoomOut = out;
        previewState.zoomIn = 1;
        EXPECT_EQ(PreviewZoomPercent(), expected[out - 2]) << out;
    }
    previewState.zoomOut = 1;
    previewState.zoomIn = 2;
    EXPECT_EQ(PreviewZoomPercent(), 200u);
}

// A reduced side is floor(side / rate) whatever the host's padding: the
// pixels every host delivers, whether it rounds its reduced image up or down.
TEST(PreviewGeometryTest, TheReducedSizeIsWhatEveryHostDelivers) {
    const struct {
        int side, rate, shown;
    } cases[] = {{10, 2, 5}, {11, 2, 5}, {2000, 7, 285}, {1999, 7, 285}, {1995, 7, 285}, {16, 16, 1}, {31, 16, 1}};
    for (const auto& c : cases) {
        for (bool padding : {true, false}) {
            FilterRecord r = Image(c.side, c.side, padding);
            previewState.zoomOut = uint32_t(c.rate);
            previewState.zoomIn = 1;
            int32_t w, h;
            ZoomedImageSize(&r, &w, &h);
            EXPECT_EQ(w, c.shown) << c.side << " at " << c.rate;
            EXPECT_EQ(h, c.shown) << c.side << " at " << c.rate;
        }
    }
    FilterRecord plain = Image(10, 10, false);
    previewState.zoomOut = 1;
    previewState.zoomIn = 3;
    int32_t w, h;
    ZoomedImageSize(&plain, &w, &h);
    EXPECT_EQ(w, 30);
    // The fit never reduces a side to nothing: 40,000 x 48 fits the width at
    // 105 but is shown 48 times reduced, one whole row, panned along.
    FilterRecord strip = Image(32767, 48);
    LayoutPreview(&strip, kView);
    EXPECT_EQ(previewState.zoomOut, 48u);
    EXPECT_EQ(previewState.imageRect.bottom - previewState.imageRect.top, 1);
    EXPECT_EQ(SetPreviewZoom(&strip, -1), 0) << "no reduction past the fit";
}

TEST(PreviewGeometryTest, ZoomKeepsTheCentrePointAndNoGapOpens) {
    FilterRecord r = Image(3000, 2000);
    LayoutPreview(&r, kView);
    ASSERT_EQ(SetPreviewZoom(&r, 100), 1);
    // Drag far in every direction: the image still covers the view.
    for (auto [dx, dy] : {std::pair{100000, 100000}, std::pair{-100000, -100000}, std::pair{5000, -5000}}) {
        PanImage(dx, dy);
        const PreviewRect& i = previewState.imageRect;
        EXPECT_LE(i.left, previewState.viewRect.left);
        EXPECT_GE(i.right, previewState.viewRect.right);
        EXPECT_LE(i.top, previewState.viewRect.top);
        EXPECT_GE(i.bottom, previewState.viewRect.bottom);
    }
    // Centre the view on image point (1500, 1000), then zoom in: the point stays.
    const int32_t cx = (-1 + 329) >> 1, cy = (-1 + 243) >> 1;
    previewState.imageRect = PreviewRect{cy - 1000, cx - 1500, cx - 1500 + 3000, cy - 1000 + 2000};
    ASSERT_EQ(SetPreviewZoom(&r, 1), 1);  // 200 %
    EXPECT_EQ(previewState.imageRect.left, cx - 3000);
    EXPECT_EQ(previewState.imageRect.top, cy - 2000);
    ASSERT_EQ(SetPreviewZoom(&r, -1), 1);  // back to 100 %
    EXPECT_EQ(previewState.imageRect.left, cx - 1500);
    // At the corner the clamp wins over the centre point.
    previewState.imageRect = PreviewRect{-1, -1, -1 + 3000, -1 + 2000};
    ASSERT_EQ(SetPreviewZoom(&r, -1), 1);  // 50 %
    EXPECT_EQ(previewState.imageRect.left, -1);
    EXPECT_EQ(previewState.imageRect.top, -1);
}

TEST(PreviewGeometryTest, AxisSmallerThanTheViewStaysCentred) {
    FilterRecord r = Image(2000, 100);
    LayoutPreview(&r, kView);
    ASSERT_EQ(SetPreviewZoom(&r, 100), 1);
    const int32_t top = previewState.imageRect.top;
    EXPECT_EQ(top, -1 + ((244 - 100) >> 1));
    EXPECT_EQ(PanImage(0, 40), 0);
    EXPECT_EQ(PanImage(-30, 40), 1);
    EXPECT_EQ(previewState.imageRect.top, top);
    Rect visible{};
    ASSERT_EQ(VisibleHostRect(&visible), 0);
    EXPECT_EQ(visible.top, top);
    EXPECT_EQ(visible.left, -1);
    EXPECT_TRUE(IsInsideVisible(-1, top));
    EXPECT_FALSE(IsInsideVisible(-1, top - 1));
    EXPECT_FALSE(IsInsideVisible(329, top));
    EXPECT_TRUE(IsInsideVisible(328, top + 99));
    EXPECT_FALSE(IsInsideVisible(328, top + 100));
}

TEST(PreviewGeometryTest, RandomZoomAndPanKeepTheInvariants) {
    test::TestRandom random(0x200F);
    for (int round = 0; round < 300; ++round) {
        FilterRecord r = Image(1 + int(random.UpTo(9999)), 1 + int(random.UpTo(9999)), random.UpTo(1) == 1);
        const int viewWidth = 20 + int(random.UpTo(500)), viewHeight = 20 + int(random.UpTo(400));
        const Rect view{-1, -1, int16(viewHeight - 1), int16(viewWidth - 1)};
        LayoutPreview(&r, view);
        const uint32_t fit = uint32_t(FitFactor(&r));
        for (int step = 0; step < 40; ++step) {
            const std::string where = "round " + std::to_string(round) + " step " + std::to_string(step);
            if (random.UpTo(2) == 0) {
                const int32_t requests[] = {-1, 0, 1, 100, int32_t(random.UpTo(2000))};
                SetPreviewZoom(&r, requests[random.UpTo(4)]);
            } else {
                const PreviewRect before = Visible();
                PanImage(int32_t(random.UpTo(2000)) - 1000, int32_t(random.UpTo(2000)) - 1000);
                const PreviewRect after = Visible();
                ASSERT_TRUE(before.top == after.top && before.left == after.left && before.right == after.right &&
                            before.bottom == after.bottom)
                    << where;
            }
            const PreviewState& p = previewState;
            ASSERT_TRUE(p.zoomIn == 1 || p.zoomOut == 1) << where;
            ASSERT_GE(p.zoomIn, 1u) << where;
            ASSERT_LE(p.zoomIn, 16u) << where;
            ASSERT_GE(p.zoomOut, 1u) << where;
            ASSERT_LE(p.zoomOut, fit) << where;
            ASSERT_EQ(r.inputRate, Fixed(p.zoomOut << 16)) << where;
            int32_t w, h;
            ZoomedImageSize(&r, &w, &h);
            ASSERT_EQ(p.imageRect.right - p.imageRect.left, w) << where;
            ASSERT_EQ(p.imageRect.bottom - p.imageRect.top, h) << where;
            if (w > viewWidth) {
                ASSERT_LE(p.imageRect.left, p.viewRect.left) << where;
                ASSERT_GE(p.imageRect.right, p.viewRect.right) << where;
            }
            if (h > viewHeight) {
                ASSERT_LE(p.imageRect.top, p.viewRect.top) << where;
                ASSERT_GE(p.imageRect.bottom, p.viewRect.bottom) << where;
            }
        }
    }
}

}  // namespace
}  // namespace tavirel
