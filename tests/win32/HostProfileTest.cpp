// Tavirel in the hosts real editors are, each modelled by one of our host's
// profiles (docs/hosts.md): a host that commits whatever lies in outData (a
// selection away from the origin must not take the preview's pixels), one
// that keeps no parameter handle, one that cannot sample, one that reads a
// pixel map by its bounds, one without the trackbar class, one with big
// documents; and the owner of the plug-in's message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "DialogFixture.h"

namespace tavirel::test {
namespace {

using filterhost::DialogDriver;
using filterhost::Document;
using filterhost::HostOptions;

HostOptions Profile(const char* name) {
    HostOptions options;
    EXPECT_TRUE(filterhost::ApplyHostProfile(name, &options)) << name;
    return options;
}

class HostProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(plugin_.Load(PluginPath(), &error)) << error;
    }
    // The menu flow in a host of these options: the dialog, once its preview
    // has drawn, answered with OK (1) or Cancel (2); the document after it.
    Document RunDialog(const Document& document, const HostOptions& options, int button,
                       filterhost::ScreenPixels* preview = nullptr) {
        observed.Clear();
        HostThread host(plugin_, document, {Flow::Menu}, {}, nullptr, options);
        HWND dialog = filterhost::WaitForParameterDialog(30000);
        EXPECT_NE(dialog, nullptr);
        if (dialog == nullptr) return Document();
        DialogDriver driver(dialog);
        EXPECT_SOON_GT(observed.tilesDrawn.load(), 0);
        Sleep(300);
        if (preview != nullptr) *preview = driver.Pixels(5);
        driver.Click(button);
        const auto& results = host.Finish();
        settings_ = RecordParameters(host.handle());  // what OK stored, the filter's settings
        EXPECT_EQ(results.size(), 1u);
        if (!results.empty()) {
            EXPECT_EQ(results[0], button == 1 ? 0 : 1);
        }
        EXPECT_EQ(host.leaks(), "");
        return host.output();
    }
    filterhost::PluginModule plugin_;
    FilterParameters settings_{};
};

// A host that commits outData wherever outRect lies, with a selection away
// from the origin: after OK every pixel outside the selection is the input's
// and every pixel inside the engine's; after Cancel every pixel is the input's.
TEST_F(HostProfileTest, ASelectionInAHostThatCommitsEveryOutput) {
    const Document input = RandomDocument(500, 360, 3, 8, 71);
    HostOptions options = Profile("photoshop");
    options.useWholeImage = false;
    options.filterRect = Rect{120, 200, 300, 430};
    const Document cancelled = RunDialog(input, options, 2);
    EXPECT_EQ(cancelled.data, input.data) << "Cancel changed the document";
    const Document done = RunDialog(input, options, 1);
    ASSERT_EQ(done.data.size(), input.data.size());
    const Document engine = EngineResult(input, settings_, &options.filterRect);
    int outside = 0, inside = 0;
    for (int y = 0; y < input.height; ++y)
        for (int x = 0; x < input.width; ++x) {
            const bool in = x >= 200 && x < 430 && y >= 120 && y < 300;
            for (int k = 0; k < 3; ++k) {
                if (!in && done.Sample(x, y, k) != input.Sample(x, y, k)) ++outside;
                if (in && done.Sample(x, y, k) != engine.Sample(x, y, k)) ++inside;
            }
        }
    EXPECT_EQ(outside, 0) << "samples outside the selection changed";
    EXPECT_EQ(inside, 0) << "samples inside the selection are not the engine's";
}

// Without a kept handle Start comes with none: the dialog opens all the same
// and OK filters the whole image.
TEST_F(HostProfileTest, AHostThatKeepsNoHandle) {
    const Document input = RandomDocument(300, 200, 3, 8, 72);
    const Document done = RunDialog(input, Profile("no-kept-handle"), 1);
    EXPECT_EQ(done.data, EngineResult(input, settings_).data);
}

// The fit zoom's picture, pixel for pixel, in a host that cannot sample and in
// one that reads the pixel map by its bounds, against the default host's.
TEST_F(HostProfileTest, ThePreviewIsTheSameInHostsThatDoNotSampleOrReadBounds) {
    const Document input = RandomDocument(1000, 700, 3, 8, 73);
    filterhost::ScreenPixels usual, unsampled, strict;
    RunDialog(input, HostOptions{}, 2, &usual);
    RunDialog(input, Profile("no-sampling"), 2, &unsampled);
    RunDialog(input, Profile("strict-bounds"), 2, &strict);
    ASSERT_FALSE(usual.pixels.empty());
    // A picture, not a blank: the image lies on the grey around it.
    const size_t grey = size_t(std::count(usual.pixels.begin(), usual.pixels.end(), 0x808080u));
    EXPECT_GT(grey, 0u);
    EXPECT_LT(grey, usual.pixels.size() / 2);
    EXPECT_EQ(unsampled.pixels, usual.pixels) << "a host that cannot sample shows another picture";
    EXPECT_EQ(strict.pixels, usual.pixels) << "a host that reads bounds shows another picture";
}

// A document past 32,767 pixels a side reaches the plug-in in a host that
// offers big documents, and is filtered exactly: every pixel the engine's.
TEST_F(HostProfileTest, ABigDocumentIsFilteredExactly) {
    FilterParameters settings = DefaultSettings();
    settings.range = 700;
    for (int depth : {8, 16}) {
        const Document input = RandomDocument(40000, 64, 3, depth, 75 + uint64_t(depth));
        filterhost::FilterSession session(plugin_, input, Profile("photoshop"));
        session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(settings)));
        ASSERT_EQ(session.RunRepeatFlow(), 0) << depth;
        ASSERT_NE(session.record().bigDocumentData, nullptr);
        EXPECT_NE(session.record().bigDocumentData->PluginUsing32BitCoordinates, 0) << "the 32-bit fields unused";
        EXPECT_EQ(session.document().data, EngineResult(input, settings).data) << depth << " bits";
        EXPECT_EQ(session.LeakReport(), "");
    }
}

// Without the trackbar class the dialog cannot be made (under Wine the class a
// host took away stays away, whatever the plug-in registers): the plug-in says
// so in a box owned by the host's window, and the document is unchanged. Last:
// no dialog opens in this process afterwards.
TEST_F(HostProfileTest, AHostWithoutTheTrackbarClassIsToldSo) {
    filterhost::UiDriver person;
    const Document input = RandomDocument(120, 80, 3, 8, 74);
    HostOptions options = Profile("no-trackbar");
    filterhost::PluginModule bare;
    std::string error;
    ASSERT_TRUE(bare.Load(PluginPath(), &error, options.barClasses)) << error;
    HostThread host(bare, input, {Flow::Menu}, {}, nullptr, options);
    const auto& results = host.Finish();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], 1204);
    EXPECT_EQ(host.output().data, input.data);
    bool told = false;
    for (const filterhost::UiEvent& e : person.Events()) {
        if (e.kind != "message") continue;
        told = e.text.find("could not be opened") != std::string::npos;
        EXPECT_EQ(e.owner, host.hostWindow()) << "the box is not owned by the host's window";
    }
    EXPECT_TRUE(told);
}

}  // namespace
}  // namespace tavirel::test
