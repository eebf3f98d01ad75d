// Whole filter runs through the host: the tile walk as the host sees it,
// progress, aborts, failures, and documents equal to the engine applied
// directly to the same pixels.
#include <gtest/gtest.h>

#include "HostFixture.h"

namespace tavirel::test {
namespace {

using filterhost::Document;
using filterhost::FilterSession;
using filterhost::HostOptions;

struct RunResult {
    int16 result;
    Document document;
    std::vector<filterhost::AdvanceEvent> advances;
    std::vector<filterhost::ProgressEvent> progress;
    std::string leaks;
};

RunResult Repeat(filterhost::PluginModule& plugin, const Document& document, const FilterParameters& settings,
                 const HostOptions& options = {}) {
    FilterSession session(plugin, document, options);
    session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(settings)));
    RunResult run;
    run.result = session.RunRepeatFlow();
    run.document = session.document();
    run.advances = session.advances();
    run.progress = session.progress();
    run.leaks = session.LeakReport();
    return run;
}

using FilterRunTest = HostTest;

TEST_F(FilterRunTest, DocumentsEqualTheEngine) {
    FilterParameters settings = DefaultSettings();
    settings.range = 800;
    for (bool direct : {false, true}) {
        HostOptions options;
        options.directBuffers = direct;
        for (int depth : {8, 16}) {
            for (int planes : {3, 4}) {
                const Document original = RandomDocument(300, 270, planes, depth, uint64_t(depth * 10 + planes));
                const RunResult run = Repeat(plugin_, original, settings, options);
                ASSERT_EQ(run.result, 0) << depth << " bits, " << planes << " planes, direct " << direct;
                EXPECT_EQ(run.leaks, "");
                const Document expected = EngineResult(original, settings);
                EXPECT_EQ(filterhost::DocumentChecksum(run.document), filterhost::DocumentChecksum(expected))
                    << depth << " bits, " << planes << " planes";
                EXPECT_NE(filterhost::DocumentChecksum(run.document), filterhost::DocumentChecksum(original));
                if (planes == 4) {
                    for (int y = 0; y < original.height; y += 7)
                        for (int x = 0; x < original.width; x += 5)
                            ASSERT_EQ(run.document.Sample(x, y, 3), original.Sample(x, y, 3)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(FilterRunTest, TilesInOrderWithProgressInSamples) {
    const Document original = RandomDocument(600, 300, 3, 8, 1);
    const RunResult run = Repeat(plugin_, original, DefaultSettings());
    ASSERT_EQ(run.result, 0);
    const Rect expected[] = {{0, 0, 256, 256},   {0, 256, 256, 512},   {0, 512, 256, 600},
                             {256, 0, 300, 256}, {256, 256, 300, 512}, {256, 512, 300, 600}};
    std::vector<filterhost::AdvanceEvent> tiles;
    for (const auto& a : run.advances)
        if (a.outRect.bottom > a.outRect.top) tiles.push_back(a);
    ASSERT_EQ(tiles.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const Rect& r = tiles[i].outRect;
        EXPECT_TRUE(r.top == expected[i].top && r.left == expected[i].left && r.bottom == expected[i].bottom &&
                    r.right == expected[i].right)
            << "tile " << i;
        EXPECT_EQ(tiles[i].inRect.left, r.left);
        EXPECT_EQ(tiles[i].inHiPlane, 2);
        EXPECT_EQ(tiles[i].outHiPlane, 2);
    }
    ASSERT_FALSE(run.progress.empty());
    EXPECT_EQ(run.progress.back().done, 600 * 300 * 3);
    EXPECT_EQ(run.progress.back().total, 600 * 300 * 3);

    const RunResult small = Repeat(plugin_, RandomDocument(100, 100, 4, 16, 2), DefaultSettings());
    ASSERT_EQ(small.result, 0);
    ASSERT_EQ(small.progress.size(), 1u);
    EXPECT_EQ(small.progress[0].done, 100 * 100 * 4);
    EXPECT_EQ(small.progress[0].total, 100 * 100 * 4);
}

TEST_F(FilterRunTest, SelectionsChangeOnlyTheirInside) {
    const Document original = RandomDocument(400, 300, 3, 16, 3);
    FilterParameters settings = DefaultSettings();
    settings.range = 1000;
    HostOptions options;
    options.useWholeImage = false;
    options.filterRect = Rect{20, 30, 280, 390};  // top, left, bottom, right
    const RunResult run = Repeat(plugin_, original, settings, options);
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(filterhost::DocumentChecksum(run.document),
              filterhost::DocumentChecksum(EngineResult(original, settings, &options.filterRect)));

    options.filterRect = Rect{50, 50, 50, 200};
    const RunResult empty = Repeat(plugin_, original, settings, options);
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(filterhost::DocumentChecksum(empty.document), filterhost::DocumentChecksum(original));
    for (const auto& a : empty.advances) EXPECT_EQ(a.outRect.bottom - a.outRect.top, 0);
}

TEST_F(FilterRunTest, AbortsAndFailuresStopTheRun) {
    const Document original = RandomDocument(600, 300, 3, 8, 4);
    HostOptions options;
    options.abortAtPoll = 2;
    const RunResult aborted = Repeat(plugin_, original, DefaultSettings(), options);
    EXPECT_EQ(aborted.result, 1);
    EXPECT_EQ(aborted.leaks, "");
    // The host keeps the original when a run does not succeed; the plug-in
    // transformed exactly one tile, so one progress report.
    EXPECT_EQ(filterhost::DocumentChecksum(aborted.document), filterhost::DocumentChecksum(original));
    EXPECT_EQ(aborted.progress.size(), 1u);

    options = HostOptions{};
    options.failAdvanceStateAt = 3;
    options.advanceStateFailure = -108;
    const RunResult failed = Repeat(plugin_, original, DefaultSettings(), options);
    EXPECT_EQ(failed.result, -108);
    EXPECT_EQ(failed.leaks, "");
    EXPECT_EQ(failed.progress.size(), 2u);
}

}  // namespace
}  // namespace tavirel::test
