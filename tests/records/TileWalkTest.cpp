// The tile walk: order, sizes, 16-bit edges.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/filter/ProgressCount.h"
#include "plugin/filter/TileWalk.h"

namespace tavirel {
namespace {

std::vector<Rect> Walk(const Rect& bounds) {
    std::vector<Rect> tiles;
    Rect current{0, 0, 0, 0};
    while (NextTile(&current, bounds)) {
        tiles.push_back(current);
        if (tiles.size() > 100000) break;
    }
    return tiles;
}

bool Same(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

TEST(TileWalkTest, BandsTopToBottomTilesLeftToRight) {
    const std::vector<Rect> tiles = Walk(Rect{0, 0, 300, 600});
    const Rect expected[] = {{0, 0, 256, 256},   {0, 256, 256, 512},   {0, 512, 256, 600},
                             {256, 0, 300, 256}, {256, 256, 300, 512}, {256, 512, 300, 600}};
    ASSERT_EQ(tiles.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(Same(tiles[i], expected[i])) << "tile " << i;
}

TEST(TileWalkTest, SmallOffsetAndEdgeRectangles) {
    std::vector<Rect> tiles = Walk(Rect{10, 20, 110, 120});
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_TRUE(Same(tiles[0], Rect{10, 20, 110, 120}));

    // Near the top of the 16-bit range the sums must not wrap.
    tiles = Walk(Rect{32500, 32500, 32767, 32767});
    ASSERT_EQ(tiles.size(), 4u);
    EXPECT_TRUE(Same(tiles[3], Rect{32756, 32756, 32767, 32767}));
    tiles = Walk(Rect{-32768, -32768, -32000, -32600});
    EXPECT_EQ(tiles.size(), 3u * 1u);

    // Every pixel is covered exactly once.
    const Rect bounds{3, 5, 700, 1000};
    std::vector<int> covered(size_t(697) * 995, 0);
    for (const Rect& t : Walk(bounds))
        for (int y = t.top; y < t.bottom; ++y)
            for (int x = t.left; x < t.right; ++x) ++covered[size_t(y - 3) * 995 + size_t(x - 5)];
    for (int c : covered) ASSERT_EQ(c, 1);
}

TEST(TileWalkTest, FinishedWalkLeavesTheLastTile) {
    Rect current{0, 0, 10, 10};
    EXPECT_FALSE(NextTile(&current, Rect{0, 0, 10, 10}));
    EXPECT_TRUE(Same(current, Rect{0, 0, 10, 10}));
    EXPECT_TRUE(IsEmptyRect(Rect{4, 4, 4, 9}));
    EXPECT_FALSE(IsEmptyRect(Rect{4, 4, 5, 9}));
}

// Progress over the walk as the filter loop reports it: within int32, never
// falling back, exact at the end, and plain counts while they fit.
TEST(ProgressCountTest, HugeSelectionsStayInInt32WithTheirRatio) {
    struct Case {
        Rect bounds;
        int planes;
    };
    const Case cases[] = {{{0, 0, 30000, 30000}, 4}, {{0, 0, 32767, 32767}, 24}, {{0, 0, 300, 600}, 3}};
    for (const Case& c : cases) {
        const int64_t samples = int64_t(c.bounds.bottom - c.bounds.top) * (c.bounds.right - c.bounds.left) * c.planes;
        ProgressCount progress(samples);
        ASSERT_GT(progress.total(), 0);
        if (samples <= INT32_MAX) {
            EXPECT_EQ(progress.total(), samples);
        }
        int64_t counted = 0;
        int32_t last = 0;
        Rect tile{0, 0, 0, 0};
        while (NextTile(&tile, c.bounds)) {
            const int64_t n = int64_t(tile.bottom - tile.top) * (tile.right - tile.left) * c.planes;
            progress.Add(n);
            counted += n;
            ASSERT_GE(progress.done(), last);
            ASSERT_LE(progress.done(), progress.total());
            last = progress.done();
            const double shown = double(progress.done()) / progress.total();
            EXPECT_NEAR(shown, double(counted) / samples, 1e-6);
            if (samples <= INT32_MAX) {
                EXPECT_EQ(progress.done(), counted);
            }
        }
        EXPECT_EQ(progress.done(), progress.total());
    }
}

}  // namespace
}  // namespace tavirel
