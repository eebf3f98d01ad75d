// The preview with the plug-in's own code linked into this program: a window
// in our stand-in dialog, drawn through our host, read back from the screen
// pixel for pixel, and driven with the real pointer.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "HostFixture.h"
#include "tests/support/PreviewTestDialog.h"
#include "tests/support/UiDriver.h"
#include "plugin/entry/ModuleState.h"
#include "plugin/preview/PreviewGeometry.h"
#include "plugin/preview/PreviewPipeline.h"
#include "plugin/preview/PreviewWindow.h"
#include "plugin/preview/SampleColour.h"

namespace tavirel::test {
namespace {

using filterhost::Document;
using filterhost::FilterSession;
using filterhost::HostOptions;
using filterhost::PointerStep;
using filterhost::PreviewNotice;
using filterhost::PumpMessages;
using filterhost::ScreenPixels;
using filterhost::UiDriver;

constexpr uint32_t kGrey = 0x808080;

FilterParameters VividSettings() {
    FilterParameters p = DefaultSettings();
    p.range = 800;
    return p;
}

Document UniformDocument(int width, int height, std::vector<uint32_t> pixel, int depth = 8) {
    Document d;
    d.Allocate(width, height, int(pixel.size()), depth);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (size_t k = 0; k < pixel.size(); ++k) d.SetSample(x, y, int(k), pixel[k]);
    return d;
}

// A document, a host session for it, our stand-in dialog and the preview in it.
class OpenPreview {
public:
    OpenPreview(filterhost::PluginModule& plugin, const Document& document, const FilterParameters& settings,
                const HostOptions& options = {})
        : session_(plugin, document, options) {
        session_.MakeActive();
        currentParameters = settings;
        created_ = CreatePreviewWindow(&session_.record(), dialog_.window());
        preview_ = GetDlgItem(dialog_.window(), kPreviewWindowId);
        SetForegroundWindow(dialog_.window());
        PumpMessages(150);
    }
    ~OpenPreview() { Close(); }
    void Close() {
        if (dialog_.window() != nullptr && IsWindow(dialog_.window())) DestroyWindow(dialog_.window());
        PumpMessages(10);
    }

    FilterSession& session() { return session_; }
    FilterRecord* record() { return &session_.record(); }
    HWND preview() const { return preview_; }
    HWND dialog() const { return dialog_.window(); }
    int created() const { return created_; }
    const std::vector<PreviewNotice>& notices() const { return dialog_.notices(); }
    void ClearNotices() { dialog_.ClearNotices(); }

    // Repaints the whole preview as the dialog does (no erase) and waits for it.
    void Repaint() {
        InvalidateRect(preview_, nullptr, FALSE);
        PumpMessages(100);
    }
    POINT ToScreen(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(preview_, &p);
        return p;
    }

private:
    FilterSession session_;
    filterhost::PreviewTestDialog dialog_;
    HWND preview_ = nullptr;
    int created_ = 0;
};

// The colour a display pixel of `shown` (the document as the engine leaves
// it, or the original) must have at client pixel (x, y) for the current
// geometry: the host's reduced pixel under it, in display bytes, or grey off
// the image.
uint32_t ExpectedPixel(const Document& shown, int x, int y) {
    const PreviewState& p = previewState;
    const PreviewRect v = VisibleRect();
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom) return kGrey;
    const int rx = (x - p.imageRect.left) / int(p.zoomIn), ry = (y - p.imageRect.top) / int(p.zoomIn);
    const int sx = std::min(rx * int(p.zoomOut), shown.width - 1), sy = std::min(ry * int(p.zoomOut), shown.height - 1);
    uint32_t rgb = 0;
    for (int k = 0; k < 3; ++k) {
        uint32_t v8 = shown.Sample(sx, sy, k);
        if (shown.depth == 16) v8 = (v8 * 511u) >> 16;
        rgb = (rgb << 8) | v8;
    }
    return rgb;
}

// How many client pixels differ from the expectation, with the first one described.
int CountWrongPixels(const ScreenPixels& shot, const Document& shown, std::string* first) {
    int wrong = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t expected = ExpectedPixel(shown, x, y), actual = shot.At(x, y);
            if (expected == actual) continue;
            if (wrong++ == 0) {
                char text[120];
                std::snprintf(text, sizeof text, "at (%d, %d): %06x instead of %06x", x, y, unsigned(actual),
                              unsigned(expected));
                *first = text;
            }
        }
    }
    return wrong;
}

#define EXPECT_SHOWS(open, shown)                                                                                    \
    do {                                                                                                             \
        std::string first;                                                                                           \
        EXPECT_EQ(CountWrongPixels(filterhost::CaptureClientPixels((open).preview()), (shown), &first), 0) << first; \
    } while (0)

class PreviewTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        // The cursors come from the plug-in's module, as they do in a real run.
        SetPluginInstance(plugin_.module());
        ASSERT_EQ(RegisterPreviewClass(), 0);
        Park();
    }
    void TearDown() override { UnregisterPreviewClass(); }

    // Runs the pointer steps while this thread handles the preview's messages.
    void Drive(const std::vector<PointerStep>& steps) {
        driver_.QueuePointer(steps);
        while (!driver_.PointerIdle()) PumpMessages(5);
        PumpMessages(120);
    }
    // The pointer away from every window of the test.
    void Park() { Drive({{PointerStep::Move, 1270, 1010}}); }
    void MoveTo(POINT p) { Drive({{PointerStep::Move, int(p.x), int(p.y)}}); }
    // Press at `from`, move through `path` and release there.
    void Drag(POINT from, const std::vector<POINT>& path) {
        std::vector<PointerStep> steps{{PointerStep::Move, int(from.x), int(from.y), 60}, {PointerStep::Press}};
        for (POINT p : path) steps.push_back({PointerStep::Move, int(p.x), int(p.y), 60});
        steps.push_back({PointerStep::Release});
        Drive(steps);
    }
    void Click(POINT at) { Drag(at, {}); }

    UiDriver driver_;
};

HCURSOR PluginCursor(filterhost::PluginModule& plugin, int id) {
    return LoadCursorA(plugin.module(), MAKEINTRESOURCEA(id));
}

TEST_F(PreviewTest, OpensAtTheFitCentredOnGreyAndShowsTheFilteredImage) {
    const Document original = RandomDocument(700, 500, 3, 8, 11);
    const Document filtered = EngineResult(original, VividSettings());
    const filterhost::HandleCounts before = filterhost::CurrentHandleCounts();
    {
        OpenPreview open(plugin_, original, VividSettings());
        ASSERT_EQ(open.created(), 0);
        ASSERT_NE(open.preview(), nullptr);
        EXPECT_EQ(GetDlgCtrlID(open.preview()), kPreviewWindowId);
        // The placeholder's 220 x 150 dialog units in the dialog's font, border included.
        RECT units{0, 0, 220, 150};
        MapDialogRect(open.dialog(), &units);
        const PreviewState& p = previewState;
        EXPECT_EQ(p.viewRect.left, -1);
        EXPECT_EQ(p.viewRect.top, -1);
        const int32_t viewWidth = p.viewRect.right - p.viewRect.left, viewHeight = p.viewRect.bottom - p.viewRect.top;
        EXPECT_EQ(viewWidth, units.right);
        EXPECT_EQ(viewHeight, units.bottom);
        // The smallest whole reduction that fits, the reduced size every host
        // delivers (floor(side / reduction)), centred.
        const uint32_t fit = uint32_t(std::max((700 + viewWidth - 1) / viewWidth, (500 + viewHeight - 1) / viewHeight));
        ASSERT_GE(fit, 2u);
        EXPECT_EQ(p.zoomOut, fit);
        EXPECT_EQ(open.record()->inputRate, Fixed(fit << 16));
        const int32_t width = 700 / int32_t(fit), height = 500 / int32_t(fit);
        EXPECT_EQ(p.imageRect.right - p.imageRect.left, width);
        EXPECT_EQ(p.imageRect.bottom - p.imageRect.top, height);
        EXPECT_EQ(p.imageRect.left, -1 + (viewWidth - width) / 2);
        EXPECT_EQ(p.imageRect.top, -1 + (viewHeight - height) / 2);
        EXPECT_SHOWS(open, filtered);
        EXPECT_GT(open.session().displayCalls(), 0);
        EXPECT_EQ(filterhost::CaptureClientPixels(open.preview()).At(0, 0), kGrey);

        SetPreviewShowsEffect(0);
        open.Repaint();
        EXPECT_SHOWS(open, original);
        SetPreviewShowsEffect(1);
        open.Repaint();
        EXPECT_SHOWS(open, filtered);

        // The host's busy cursor: suspended at start, restored at stop.
        EXPECT_EQ(open.session().watchSettings(), std::vector<intptr_t>{1});
        open.Close();
        EXPECT_EQ(open.session().watchSettings(), (std::vector<intptr_t>{1, 0}));
    }
    const filterhost::HandleCounts after = filterhost::CurrentHandleCounts();
    EXPECT_EQ(after.live, before.live);
    EXPECT_EQ(after.locksHeld, before.locksHeld);
    EXPECT_EQ(after.badCalls, before.badCalls);
}

TEST_F(PreviewTest, ActualSizeAndMagnificationAtEveryLayout) {
    for (int depth : {8, 16}) {
        for (int planes : {3, 4}) {
            SCOPED_TRACE(std::to_string(depth) + " bits, " + std::to_string(planes) + " planes");
            const Document original = RandomDocument(700, 500, planes, depth, uint64_t(depth + planes));
            const Document filtered = EngineResult(original, VividSettings());
            OpenPreview open(plugin_, original, VividSettings());
            ASSERT_EQ(SetPreviewZoom(open.record(), 100), 1);
            open.Repaint();
            EXPECT_SHOWS(open, filtered);

            // 300 %, placed so that the first tile column starts one display
            // pixel into a source pixel and the second one two pixels in.
            ASSERT_EQ(SetPreviewZoom(open.record(), 300), 1);
            ASSERT_EQ(previewState.zoomIn, 3u);
            const int offset = (-1 - previewState.imageRect.left) % 3;
            PanImage(offset - 1, 0);
            ASSERT_EQ((-1 - previewState.imageRect.left) % 3, 1);
            open.Repaint();
            EXPECT_SHOWS(open, filtered);
            SetPreviewShowsEffect(0);
            open.Repaint();
            EXPECT_SHOWS(open, original);
            SetPreviewShowsEffect(1);
        }
    }
}

TEST_F(PreviewTest, SixteenBitSamplesBecomeDisplayBytes) {
    const Document original = UniformDocument(40, 30, {32768, 128, 129}, 16);
    OpenPreview open(plugin_, original, VividSettings());
    SetPreviewShowsEffect(0);
    open.Repaint();
    const PreviewRect v = VisibleRect();
    const ScreenPixels shot = filterhost::CaptureClientPixels(open.preview());
    EXPECT_EQ(shot.At(v.left + 5, v.top + 5), 0xFF0001u);
    EXPECT_SHOWS(open, original);
}

TEST_F(PreviewTest, DragKeepsTheGrabbedPointUnderThePointerWithinTheClamps) {
    const Document original = RandomDocument(700, 500, 3, 8, 21);
    FilterParameters changed = VividSettings();
    changed.sourceHue = (changed.sourceHue + 1200) % 3600;
    const Document filteredChanged = EngineResult(original, changed);
    const Document filtered = EngineResult(original, VividSettings());
    OpenPreview open(plugin_, original, VividSettings());
    ASSERT_EQ(SetPreviewZoom(open.record(), 100), 1);
    open.Repaint();
    const PreviewRect start = previewState.imageRect;  // centred, larger than the view both ways

    // The settings change without a redraw: a pan must keep the tables it has.
    currentParameters = changed;
    const POINT grab = open.ToScreen(150, 120);
    Drag(grab, {{grab.x - 20, grab.y - 10}, {grab.x - 40, grab.y - 30}});
    EXPECT_EQ(previewState.imageRect.left, start.left - 40);
    EXPECT_EQ(previewState.imageRect.top, start.top - 30);
    EXPECT_SHOWS(open, filtered);
    for (const PreviewNotice& n : open.notices()) EXPECT_NE(n.code, PVN_PICK) << "the release of a drag picked";

    // Past the left clamp the image stays; coming back it follows again only
    // once the pointer passes the grabbed point's clamped position.
    const PreviewRect before = previewState.imageRect;
    const int32_t toClamp = -1 - before.left;  // how far the image can go right
    ASSERT_GT(toClamp, 60);
    ASSERT_LT(toClamp, 300);
    Drag(grab, {{grab.x + 40, grab.y},
                {grab.x + 350, grab.y},
                {grab.x + toClamp + 20, grab.y},
                {grab.x + toClamp - 30, grab.y}});
    EXPECT_EQ(previewState.imageRect.left, -1 - 30);
    EXPECT_EQ(previewState.imageRect.top, before.top);
    EXPECT_SHOWS(open, filtered);

    // Moves that the clamps absorb draw nothing.
    Drag(grab, {{grab.x + 150, grab.y}});
    const int drawsBefore = open.session().displayCalls();
    const PreviewRect clamped = previewState.imageRect;
    ASSERT_EQ(clamped.left, -1);
    Drag(grab, {{grab.x + 30, grab.y}, {grab.x + 90, grab.y}});
    EXPECT_EQ(open.session().displayCalls(), drawsBefore);
    EXPECT_EQ(previewState.imageRect.left, -1);

    // A repaint rebuilds the tables from the changed settings.
    open.Repaint();
    EXPECT_SHOWS(open, filteredChanged);
}

TEST_F(PreviewTest, ClicksPickAndDragsPan) {
    const Document original = RandomDocument(700, 500, 3, 8, 31);
    OpenPreview open(plugin_, original, VividSettings());
    ASSERT_EQ(SetPreviewZoom(open.record(), 100), 1);
    open.Repaint();
    const POINT at = open.ToScreen(100, 100);
    const PreviewRect start = previewState.imageRect;

    // Within a pixel in x and y: a click, and the release picks.
    open.ClearNotices();
    Drag(at, {{at.x + 1, at.y - 1}});
    ASSERT_FALSE(open.notices().empty());
    EXPECT_EQ(open.notices().back().code, PVN_PICK);
    EXPECT_TRUE(open.notices().back().hasRecord);
    EXPECT_EQ(previewState.imageRect.left, start.left);
    EXPECT_EQ(GetCursor(), PluginCursor(plugin_, kCursorTarget));

    // Two pixels: a drag, and no pick.
    open.ClearNotices();
    Drag(at, {{at.x + 2, at.y}});
    EXPECT_EQ(previewState.imageRect.left, start.left + 2);
    for (const PreviewNotice& n : open.notices()) EXPECT_NE(n.code, PVN_PICK);
    open.ClearNotices();
    Drag(at, {{at.x, at.y - 2}});
    EXPECT_EQ(previewState.imageRect.top, start.top - 2);
    for (const PreviewNotice& n : open.notices()) EXPECT_NE(n.code, PVN_PICK);

    // Every repaint tells the dialog what is under the pointer.
    MoveTo(at);
    open.ClearNotices();
    open.Repaint();
    ASSERT_FALSE(open.notices().empty());
    EXPECT_EQ(open.notices().back().code, PVN_HOVER);
    EXPECT_TRUE(open.notices().back().hasRecord);
    Park();
    open.ClearNotices();
    open.Repaint();
    ASSERT_FALSE(open.notices().empty());
    EXPECT_EQ(open.notices().back().code, PVN_HOVER);
    EXPECT_FALSE(open.notices().back().hasRecord);
}

TEST_F(PreviewTest, TheGreyAreaPicksNothing) {
    const Document original = UniformDocument(100, 80, {200, 100, 0});
    OpenPreview open(plugin_, original, VividSettings());
    EXPECT_EQ(previewState.zoomOut, 1u);
    open.ClearNotices();
    Click(open.ToScreen(5, 5));
    ASSERT_FALSE(open.notices().empty());
    for (const PreviewNotice& n : open.notices()) EXPECT_NE(n.code, PVN_PICK);
    EXPECT_EQ(open.notices().back().code, PVN_HOVER);
    EXPECT_FALSE(open.notices().back().hasRecord);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));

    // Over the image the dialog hears the colour, on the host's 16-bit scale.
    open.ClearNotices();
    MoveTo(open.ToScreen(164, 121));
    ASSERT_FALSE(open.notices().empty());
    const PreviewNotice& hover = open.notices().back();
    EXPECT_EQ(hover.code, PVN_HOVER);
    ASSERT_TRUE(hover.hasRecord);
    EXPECT_EQ(hover.input[0], 25700);
    EXPECT_EQ(hover.input[1], 12850);
    EXPECT_EQ(hover.input[2], 0);
    EXPECT_EQ(GetCapture(), open.preview());
    EXPECT_EQ(GetCursor(), PluginCursor(plugin_, kCursorTarget));
    // Leaving the image gives the capture back.
    MoveTo(open.ToScreen(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(open.notices().back().hasRecord);
}

TEST_F(PreviewTest, ADialogBehindAnotherWindowHearsNothing) {
    OpenPreview open(plugin_, UniformDocument(100, 80, {200, 100, 0}), VividSettings());
    // Another window of this program, away from the dialog, takes the front.
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE, 900, 700, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    PumpMessages(100);
    ASSERT_EQ(GetForegroundWindow(), other);
    open.ClearNotices();
    MoveTo(open.ToScreen(164, 121));
    MoveTo(open.ToScreen(166, 122));
    EXPECT_TRUE(open.notices().empty());
    EXPECT_NE(GetCapture(), open.preview());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    DestroyWindow(other);
}

// The sample at a client point, straight from the plug-in.
struct Sampled {
    int result;
    SampleRecord record;
};
Sampled SampleAt(FilterRecord* record, int x, int y) {
    Sampled s{};
    s.result = SampleColour(record, Point{int16(y), int16(x)}, s.record.input, s.record.output);
    return s;
}
bool SameSample(const Sampled& a, const Sampled& b, int planes) {
    for (int k = 0; k < planes; ++k)
        if (a.record.input[k] != b.record.input[k] || a.record.output[k] != b.record.output[k]) return false;
    return a.result == b.result;
}

TEST_F(PreviewTest, SamplesAverageSquaresThatStayOnTheImage) {
    const Document original = RandomDocument(200, 150, 3, 8, 41);
    OpenPreview open(plugin_, original, VividSettings());
    const PreviewRect i = previewState.imageRect;
    // The first and last column and row give the squares of their inner neighbours.
    EXPECT_TRUE(SameSample(SampleAt(open.record(), i.left, i.top), SampleAt(open.record(), i.left + 1, i.top + 1), 3));
    EXPECT_TRUE(SameSample(SampleAt(open.record(), i.right - 1, i.bottom - 1),
                           SampleAt(open.record(), i.right - 2, i.bottom - 2), 3));
    EXPECT_FALSE(SameSample(SampleAt(open.record(), i.left, i.top), SampleAt(open.record(), i.left + 2, i.top), 3));
    // The square's mean over the 3 x 3 pixels around image pixel (10, 20):
    // each row's sum plus 1 times floor(2^23 / 3) >> 23, then the rows'
    // mean rounded to nearest, then onto the 16-bit scale.
    const Sampled middle = SampleAt(open.record(), i.left + 10, i.top + 20);
    ASSERT_EQ(middle.result, 1);
    for (int k = 0; k < 3; ++k) {
        uint32_t rows = 0;
        for (int y = 19; y <= 21; ++y)
            rows +=
                ((original.Sample(9, y, k) + original.Sample(10, y, k) + original.Sample(11, y, k) + 1) * 2796202u) >>
                23;
        EXPECT_EQ(middle.record.input[k], int32_t(HostScaleFrom8((rows + 1) / 3))) << "plane " << k;
    }
    // Off the image: -1 and failure.
    const Sampled off = SampleAt(open.record(), i.left - 1, i.top);
    EXPECT_EQ(off.result, 0);
    EXPECT_EQ(off.record.input[0], -1);
    EXPECT_EQ(off.record.output[2], -1);

    // At 400 % the 16 display pixels of one image pixel give one sample.
    ASSERT_EQ(SetPreviewZoom(open.record(), 400), 1);
    const PreviewRect z = previewState.imageRect;
    const int x0 = 4 * ((-z.left + 40) / 4) + z.left, y0 = 4 * ((-z.top + 40) / 4) + z.top;
    const Sampled corner = SampleAt(open.record(), x0, y0);
    ASSERT_EQ(corner.result, 1);
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx)
            EXPECT_TRUE(SameSample(SampleAt(open.record(), x0 + dx, y0 + dy), corner, 3)) << dx << "," << dy;
    EXPECT_FALSE(SameSample(SampleAt(open.record(), x0 + 4, y0), corner, 3));

    // With Preview off the output is still the filtered colour.
    SetPreviewShowsEffect(0);
    const Sampled unfilteredView = SampleAt(open.record(), x0, y0);
    EXPECT_TRUE(SameSample(unfilteredView, corner, 3));
    SetPreviewShowsEffect(1);
}

TEST_F(PreviewTest, SamplesOfAlphaAndOfNarrowImages) {
    {
        const Document rgba = UniformDocument(50, 40, {200, 100, 0, 100});
        OpenPreview open(plugin_, rgba, VividSettings());
        const PreviewRect i = previewState.imageRect;
        const Sampled s = SampleAt(open.record(), i.left + 10, i.top + 10);
        ASSERT_EQ(s.result, 1);
        EXPECT_EQ(s.record.input[0], 25700);
        EXPECT_EQ(s.record.input[3], 32768 - int32_t(HostScaleFrom8(100)));
        EXPECT_EQ(s.record.output[3], 32768 - int32_t(HostScaleFrom8(100)));
    }
    {
        // Two display pixels wide: the square is 2 x 2, and only what was fetched counts.
        Document narrow;
        narrow.Allocate(2, 40, 3, 8);
        for (int y = 0; y < 40; ++y)
            for (int k = 0; k < 3; ++k) narrow.SetSample(0, y, k, 10), narrow.SetSample(1, y, k, 21);
        OpenPreview open(plugin_, narrow, VividSettings());
        const PreviewRect i = previewState.imageRect;
        ASSERT_EQ(i.right - i.left, 2);
        const Sampled s = SampleAt(open.record(), i.left, i.top + 20);
        ASSERT_EQ(s.result, 1);
        EXPECT_EQ(s.record.input[0], int32_t(HostScaleFrom8(16)));  // (10 + 21 + 1) / 2
    }
    {
        Document single = UniformDocument(1, 30, {7, 8, 9});
        single.SetSample(0, 15, 0, 250);
        OpenPreview open(plugin_, single, VividSettings());
        const PreviewRect i = previewState.imageRect;
        const Sampled s = SampleAt(open.record(), i.left, i.top + 15);
        ASSERT_EQ(s.result, 1);
        EXPECT_EQ(s.record.input[0], int32_t(HostScaleFrom8(250)));  // the single pixel itself
    }
}

TEST_F(PreviewTest, AHostWithoutTheCallbacksLeavesItGrey) {
    for (int missing = 0; missing < 2; ++missing) {
        SCOPED_TRACE(missing == 0 ? "no advanceState" : "no displayPixels");
        HostOptions options;
        (missing == 0 ? options.provideAdvanceState : options.provideDisplayPixels) = false;
        OpenPreview open(plugin_, RandomDocument(300, 200, 3, 8, 51), VividSettings(), options);
        ASSERT_NE(open.preview(), nullptr);
        EXPECT_EQ(previewState.imagePresent, 0);
        const ScreenPixels shot = filterhost::CaptureClientPixels(open.preview());
        int grey = 0;
        for (uint32_t px : shot.pixels) grey += px == kGrey;
        EXPECT_EQ(grey, shot.width * shot.height);
        EXPECT_EQ(SampleAt(open.record(), 100, 100).result, 0);
        EXPECT_EQ(SetPreviewZoom(open.record(), 100), 0);
        open.ClearNotices();
        Click(open.ToScreen(100, 100));
        ASSERT_FALSE(open.notices().empty());
        for (const PreviewNotice& n : open.notices()) EXPECT_FALSE(n.hasRecord);
        EXPECT_EQ(open.session().displayCalls(), 0);
        // Never suspended, only restored (after the failed start and at the window's end).
        open.Close();
        ASSERT_FALSE(open.session().watchSettings().empty());
        for (intptr_t value : open.session().watchSettings()) EXPECT_EQ(value, 0);
    }
}

TEST_F(PreviewTest, AFailedTileLeavesOnlyItselfUndrawn) {
    // At the fit (half size in a preview 220 units wide, with MS Sans Serif's
    // metrics or wider ones), wider than a tile: two tiles side by side.
    const Document original = RandomDocument(600, 200, 3, 8, 61);
    const Document filtered = EngineResult(original, VividSettings());
    HostOptions options;
    options.failAdvanceStateAt = 1;  // the first tile of the first paint
    OpenPreview open(plugin_, original, VividSettings(), options);
    const PreviewRect v = VisibleRect();
    ASSERT_GT(v.right - v.left, 256);
    const ScreenPixels shot = filterhost::CaptureClientPixels(open.preview());
    for (int y = 0; y < shot.height; y += 7) {
        for (int x = 0; x < shot.width; x += 5) {
            const bool firstTile = x < v.left + 256 && y < v.top + 256;
            const bool onImage = x >= v.left && x < v.right && y >= v.top && y < v.bottom;
            if (firstTile && onImage)
                ASSERT_EQ(shot.At(x, y), kGrey) << x << "," << y;
            else
                ASSERT_EQ(shot.At(x, y), ExpectedPixel(filtered, x, y)) << x << "," << y;
        }
    }
    open.Repaint();
    EXPECT_SHOWS(open, filtered);
}

TEST_F(PreviewTest, ADialogWithoutItsPlaceholderGetsNoPreview) {
    FilterSession session(plugin_, RandomDocument(30, 30, 3, 8, 71), HostOptions{});
    session.MakeActive();
    filterhost::PreviewTestDialog dialog(60, 60, false);
    EXPECT_EQ(CreatePreviewWindow(&session.record(), dialog.window()), -109);
    EXPECT_EQ(GetDlgItem(dialog.window(), kPreviewWindowId), nullptr);
    EXPECT_TRUE(session.watchSettings().empty());
}

}  // namespace
}  // namespace tavirel::test
