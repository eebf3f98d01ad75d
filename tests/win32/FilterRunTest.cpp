// Whole filter runs through the host: the tile walk as the host sees it,
// progress, aborts, failures, and documents equal to the engine applied
// directly to the same pixels.
#include <gtest/gtest.h>

#include "HostFixture.h"
#include "filterhost/lib/DescriptorSuite.h"
#include "plugin/filter/ActionDescriptor.h"

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

std::vector<int32_t> Values(const FilterParameters& p) {
    std::vector<int32_t> v;
    for (const DescriptorField& f : kDescriptorFields) v.push_back(p.*(f.value));
    return v;
}

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

// A recorded step's descriptor holding these settings, as --play reads it.
std::vector<uint8_t> StepBytes(const FilterParameters& settings) {
    filterhost::Descriptor d;
    for (const DescriptorField& f : kDescriptorFields) {
        filterhost::DescriptorItem item;
        item.key = f.key, item.type = typeUnitFloat, item.code = f.unit;
        item.number = DescriptorNumber(settings.*(f.value));
        d.Put(item);
    }
    const std::string text = filterhost::DescriptorText(d);
    return std::vector<uint8_t>(text.begin(), text.end());
}

FilterParameters RecordedSettings(Handle recorded) {
    FilterParameters p = DefaultSettings();
    filterhost::Descriptor d;
    std::string error;
    EXPECT_TRUE(filterhost::DescriptorFromHandle(recorded, &d, &error)) << error;
    for (const DescriptorField& f : kDescriptorFields) {
        const filterhost::DescriptorItem* item = d.Find(f.key);
        if (item == nullptr) continue;
        ApplyDescriptorValue({item->key, item->type, item->code, item->number}, &p);
    }
    return p;
}

// Played steps through whole menu and repeat flows, on a host that refuses
// every window: silent playback filters with the step's values and opens
// none (the handle from Parameters asks for the dialog, so only the step
// keeps it away); played with its dialog, the refused dialog fails the run.
TEST_F(FilterRunTest, PlayedStepsFilterWithTheirValuesAndSilentOnesOpenNoWindow) {
    const Document original = RandomDocument(90, 70, 3, 8, 41);
    FilterParameters played = DefaultSettings();
    played.sourceHue = 3600, played.sourceSaturation = 0, played.sourceBrightness = 1000;
    played.destinationHue = 1, played.destinationSaturation = 999, played.destinationBrightness = 0;
    played.range = 1000;
    HostOptions refusing;
    refusing.refuseWindows = true;
    const uint64_t expected = filterhost::DocumentChecksum(EngineResult(original, played));
    {
        FilterSession session(plugin_, original, refusing);
        session.SetPlayback(StepBytes(played), true);
        EXPECT_EQ(session.RunMenuFlow(), 0);
        EXPECT_EQ(session.refusedWindows(), 0);
        EXPECT_EQ(filterhost::DocumentChecksum(session.document()), expected);
        ASSERT_NE(session.recorded(), nullptr);
        EXPECT_EQ(Values(RecordedSettings(session.recorded())), Values(played));
        EXPECT_EQ(session.LeakReport(), "");
    }
    {
        // A step played where the host kept no handle and skips Parameters.
        FilterSession session(plugin_, original, refusing);
        session.SetPlayback(StepBytes(played), true);
        EXPECT_EQ(session.RunRepeatFlow(), 0);
        EXPECT_EQ(session.refusedWindows(), 0);
        EXPECT_EQ(filterhost::DocumentChecksum(session.document()), expected);
        EXPECT_EQ(session.LeakReport(), "");
    }
    {
        FilterSession session(plugin_, original, refusing);
        session.SetPlayback(StepBytes(played), false);
        EXPECT_NE(session.RunMenuFlow(), 0);
        EXPECT_GT(session.refusedWindows(), 0);
        EXPECT_EQ(filterhost::DocumentChecksum(session.document()), filterhost::DocumentChecksum(original));
        EXPECT_EQ(session.recorded(), nullptr);
        EXPECT_EQ(session.LeakReport(), "");
    }
}

// Hosts without descriptors, or with the structure and no procs, run as
// before: the same pixels from the same handle, and nothing recorded.
TEST_F(FilterRunTest, HostsWithoutDescriptorSuitesRunAsBefore) {
    const Document original = RandomDocument(80, 60, 4, 16, 42);
    FilterParameters settings = DefaultSettings();
    settings.sourceHue = 1200, settings.range = 900;
    const uint64_t expected = filterhost::DocumentChecksum(EngineResult(original, settings));
    using filterhost::DescriptorSupport;
    for (DescriptorSupport support : {DescriptorSupport::None, DescriptorSupport::NoProcs, DescriptorSupport::Full}) {
        HostOptions options;
        options.descriptors = support;
        FilterSession session(plugin_, original, options);
        session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(settings)));
        EXPECT_EQ(session.descriptorParameters() == nullptr, support == DescriptorSupport::None);
        ASSERT_EQ(session.RunRepeatFlow(), 0) << int(support);
        EXPECT_EQ(filterhost::DocumentChecksum(session.document()), expected) << int(support);
        EXPECT_EQ(session.LeakReport(), "") << int(support);
        if (support == DescriptorSupport::Full) {
            ASSERT_NE(session.recorded(), nullptr);
            EXPECT_EQ(Values(RecordedSettings(session.recorded())), Values(settings));
        } else {
            EXPECT_EQ(session.recorded(), nullptr) << int(support);
        }
    }
}

}  // namespace
}  // namespace tavirel::test
