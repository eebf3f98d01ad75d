// The swatches, picks and read-outs of the real plug-in's dialog, opened by
// our host's menu flow and worked with the pointer as a person works them:
// judged by the pixels on screen, the texts shown, and what reaches the
// image, the host's handle and the settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DialogFixture.h"
#include "examples/SampleImage.h"

namespace tavirel::test {
namespace {

using filterhost::DialogDriver;
using filterhost::Document;

constexpr uint32_t kBlack = 0x000000;

uint32_t ButtonFace() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// The screen point over image pixel (x, y) at the fit zoom.
POINT OverPixel(const DialogDriver& dialog, const Document& d, int x, int y) {
    HWND preview = dialog.Control(5);
    const FitGeometry g = FitOf(preview, d);
    POINT p{g.left + x / g.fit, g.top + y / g.fit};
    ClientToScreen(preview, &p);
    return p;
}

// A point of the preview's grey surround, above the image.
POINT OverSurround(const DialogDriver& dialog) {
    POINT p{6, 3};
    ClientToScreen(dialog.Control(5), &p);
    return p;
}

// What a swatch shows: whether its two selection rings are black (and
// otherwise the dialog's face colour, read at a corner and along an edge),
// the frame, and the colour at its centre.
struct SwatchLook {
    bool selected = false, hiddenRings = false, framed = false;
    uint32_t centre = 0;
    bool operator==(const SwatchLook& o) const {
        return selected == o.selected && hiddenRings == o.hiddenRings && framed == o.framed && centre == o.centre;
    }
};
std::ostream& operator<<(std::ostream& out, const SwatchLook& l) {
    char text[80];
    std::snprintf(text, sizeof text, "{selected %d, hidden %d, framed %d, centre %06x}", l.selected, l.hiddenRings,
                  l.framed, unsigned(l.centre));
    return out << text;
}

SwatchLook LookOf(const DialogDriver& dialog, int id) {
    const filterhost::ScreenPixels p = dialog.Pixels(id);
    SwatchLook l;
    if (p.width < 10 || p.height < 10) return l;
    const int mx = p.width / 2, my = p.height / 2;
    auto ring = [&](int k, uint32_t colour) {
        return p.At(k, k) == colour && p.At(mx, k) == colour && p.At(p.width - 1 - k, my) == colour &&
               p.At(mx, p.height - 1 - k) == colour;
    };
    l.selected = ring(0, kBlack) && ring(1, kBlack);
    l.hiddenRings = ring(0, ButtonFace()) && ring(1, ButtonFace());
    l.framed = ring(2, kBlack) && p.At(3, my) == ButtonFace() && p.At(p.width - 4, my) == ButtonFace();
    l.centre = p.At(mx, my);
    return l;
}

SwatchLook Look(bool selected, uint32_t centre) { return SwatchLook{selected, !selected, true, centre}; }

std::vector<std::string> Readouts(const DialogDriver& dialog) {
    std::vector<std::string> texts;
    for (int id : {401, 402, 403, 501, 502, 503}) texts.push_back(dialog.Text(id));
    return texts;
}

std::vector<std::string> ColourEdits(const DialogDriver& dialog) {
    return {dialog.Text(201), dialog.Text(202), dialog.Text(203), dialog.Text(205)};
}

// Blocks of 100 x 160 pixels on the host's 16-bit scale: pure red, mid grey,
// a red a hair short of the end of the hue circle, and orange.
Document Blocks() {
    const uint32_t colours[4][3] = {{32768, 0, 0}, {16384, 16384, 16384}, {32768, 0, 20}, {32768, 16384, 0}};
    Document d;
    d.Allocate(400, 160, 3, 16);
    d.imageMode = 11;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int p = 0; p < 3; ++p) d.SetSample(x, y, p, colours[x / 100][p]);
    return d;
}
constexpr int kRed = 50, kGrey = 150, kCircleEnd = 250, kOrange = 350, kMiddle = 80;

Document SampleDocument() {
    const filterhost::PngImage image = DrawSampleImage(8);
    Document d;
    d.Allocate(image.width, image.height, 3, 8);
    d.imageMode = 3;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int p = 0; p < 3; ++p) d.SetSample(x, y, p, image.samples[(size_t(y) * d.width + x) * 3 + p]);
    return d;
}

float Shown(const DialogDriver& dialog, int id) { return float(std::atof(dialog.Text(id).c_str())); }

class SwatchTest : public DialogTest {
protected:
    // The swatch selection outlives a dialog: each test starts from Source.
    static void SelectSource(DialogDriver& dialog) {
        dialog.Click(300);
        EXPECT_SOON_EQ(LookOf(dialog, 300).selected, true);
    }
};

TEST_F(SwatchTest, ClickingASwatchSelectsItForThisAndTheNextDialog) {
    const Document original = RandomDocument(300, 200, 3, 8, 41);
    HostThread host(plugin_, original, {Flow::Menu, Flow::Menu}, RecordBytes(DefaultSettings()));
    DialogDriver dialog = OpenedDialog();
    SelectSource(dialog);
    EXPECT_EQ(LookOf(dialog, 300), Look(true, 0xFF0000));
    // The default Destination, 180.0 at 50 %, 50 %: RGB 64, 128, 128.
    EXPECT_EQ(LookOf(dialog, 301), Look(false, 0x408080));
    EXPECT_EQ(ColourEdits(dialog), (std::vector<std::string>{"0.0", "100.0", "100.0", "50.0"}));

    dialog.Click(301);
    EXPECT_SOON_EQ(LookOf(dialog, 301), Look(true, 0x408080));
    EXPECT_EQ(LookOf(dialog, 300), Look(false, 0xFF0000));
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"180.0", "50.0", "50.0", "50.0"}));
    EXPECT_EQ(dialog.TrackbarPosition(101), 1800);
    EXPECT_EQ(dialog.TrackbarPosition(105), 500);

    // Typed values repaint the selected swatch: no saturation is grey, no
    // brightness black.
    dialog.Focus(202);
    dialog.Type("0");
    EXPECT_SOON_EQ(LookOf(dialog, 301), Look(true, 0x808080));
    dialog.Focus(203);
    dialog.Type("0");
    EXPECT_SOON_EQ(LookOf(dialog, 301), Look(true, kBlack));
    EXPECT_EQ(LookOf(dialog, 300), Look(false, 0xFF0000));

    dialog.Key(VK_ESCAPE);
    ASSERT_TRUE(dialog.WaitClosed());
    // The same host process opens the filter again: Destination is still selected.
    DialogDriver again = OpenedDialog();
    EXPECT_SOON_EQ(LookOf(again, 301), Look(true, 0x408080));
    EXPECT_EQ(LookOf(again, 300), Look(false, 0xFF0000));
    EXPECT_EQ(ColourEdits(again), (std::vector<std::string>{"180.0", "50.0", "50.0", "50.0"}));
    SelectSource(again);
    again.Key(VK_ESCAPE);
    ASSERT_TRUE(again.WaitClosed());
    EXPECT_EQ(host.Finish(), (std::vector<int16>{1, 1}));
}

// Whether the swatch shows the keyboard focus mark: a white ring one pixel
// inside the colour and a black one inside that, on all four sides.
bool ShowsFocusMark(const DialogDriver& dialog, int id) {
    const filterhost::ScreenPixels p = dialog.Pixels(id);
    if (p.width < 16 || p.height < 16) return false;
    const int mx = p.width / 2, my = p.height / 2, r = p.width - 1, b = p.height - 1;
    const uint32_t white = 0xFFFFFF;
    return p.At(5, my) == white && p.At(r - 5, my) == white && p.At(mx, 5) == white && p.At(mx, b - 5) == white &&
           p.At(6, my) == kBlack && p.At(r - 6, my) == kBlack && p.At(mx, 6) == kBlack && p.At(mx, b - 6) == kBlack;
}

TEST_F(SwatchTest, TabReachesBothSwatchesAndSpaceOrEnterSelects) {
    const Document original = RandomDocument(300, 200, 3, 8, 44);
    HostThread host(plugin_, original, {Flow::Menu}, RecordBytes(DefaultSettings()));
    DialogDriver dialog = OpenedDialog();
    SelectSource(dialog);
    EXPECT_FALSE(ShowsFocusMark(dialog, 300));

    // From the zoom-in button, the next tab stops are the two swatches, then
    // the first trackbar.
    const struct {
        WORD key;
        int focused;
        bool sourceSelected;
        std::vector<std::string> edits;
    } steps[] = {
        {VK_TAB, 300, true, {"0.0", "100.0", "100.0", "50.0"}},
        {VK_TAB, 301, true, {"0.0", "100.0", "100.0", "50.0"}},
        {VK_SPACE, 301, false, {"180.0", "50.0", "50.0", "50.0"}},
        {VK_TAB, 101, false, {"180.0", "50.0", "50.0", "50.0"}},
    };
    dialog.Focus(10);
    for (const auto& step : steps) {
        SCOPED_TRACE("key " + std::to_string(step.key) + " to " + std::to_string(step.focused));
        dialog.Key(step.key);
        EXPECT_SOON_EQ(dialog.FocusedId(), step.focused);
        EXPECT_SOON_EQ(LookOf(dialog, 300).selected, step.sourceSelected);
        EXPECT_SOON_EQ(LookOf(dialog, 301).selected, !step.sourceSelected);
        EXPECT_SOON_EQ(ColourEdits(dialog), step.edits);
        for (int id : {300, 301}) EXPECT_SOON_EQ(ShowsFocusMark(dialog, id), id == step.focused) << id;
    }
    // Enter on a focused swatch selects it too, and does not press OK.
    dialog.Focus(300);
    dialog.Key(VK_RETURN);
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_SOON_EQ(LookOf(dialog, 300).selected, true);
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"0.0", "100.0", "100.0", "50.0"}));
    EXPECT_SOON_EQ(ShowsFocusMark(dialog, 300), true);
    dialog.Key(VK_ESCAPE);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{1});
}

TEST_F(SwatchTest, ReadoutsFollowThePointerAndPicksTakeTheImageColour) {
    const Document original = Blocks();
    HostThread host(plugin_, original, {Flow::Menu}, RecordBytes(DefaultSettings()));
    DialogDriver dialog = OpenedDialog();
    SelectSource(dialog);

    POINT p = OverPixel(dialog, original, kRed, kMiddle);
    dialog.MoveTo(p.x, p.y);
    EXPECT_SOON_EQ(dialog.Text(401) + " " + dialog.Text(402) + " " + dialog.Text(403), "0.0 100.0 100.0");
    // The default settings turn pure red into the destination colour, near hue 180.
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return !dialog.Text(501).empty(); }));
    EXPECT_NEAR(Shown(dialog, 501), 180.0f, 0.5f);
    p = OverPixel(dialog, original, kGrey, kMiddle);
    dialog.MoveTo(p.x, p.y);
    EXPECT_SOON_EQ(dialog.Text(402), "0.0");
    EXPECT_EQ(dialog.Text(403), "50.0");
    p = OverPixel(dialog, original, kCircleEnd, kMiddle);
    dialog.MoveTo(p.x, p.y);
    EXPECT_SOON_EQ(dialog.Text(401), "360.0");
    p = OverSurround(dialog);
    dialog.MoveTo(p.x, p.y);
    EXPECT_SOON_EQ(Readouts(dialog), std::vector<std::string>(6, ""));

    // A pick without Alt: only the selected Source takes the orange.
    const POINT orange = OverPixel(dialog, original, kOrange, kMiddle);
    dialog.ClickAt(orange.x, orange.y);
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"30.0", "100.0", "100.0", "50.0"}));
    // The preview now filters that orange away; the same spot picks the same.
    EXPECT_SOON_EQ(dialog.Text(401), "30.0");
    EXPECT_NE(dialog.Text(501), "30.0");
    dialog.Focus(205);
    dialog.Type("9");
    dialog.ClickAt(orange.x, orange.y);
    dialog.Settle(300);
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"30.0", "100.0", "100.0", "9.0"}));
    dialog.Click(301);
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"180.0", "50.0", "50.0", "9.0"}));

    // The grey surround picks nothing.
    p = OverSurround(dialog);
    dialog.ClickAt(p.x, p.y);
    dialog.Settle(300);
    EXPECT_EQ(ColourEdits(dialog), (std::vector<std::string>{"180.0", "50.0", "50.0", "9.0"}));
    EXPECT_EQ(Readouts(dialog), std::vector<std::string>(6, ""));

    // With Alt both colours take the mid grey and Destination is selected
    // (it is already; Source first shows that the pick selects it).
    dialog.Click(300);
    EXPECT_SOON_EQ(LookOf(dialog, 300).selected, true);
    p = OverPixel(dialog, original, kGrey, kMiddle);
    ASSERT_TRUE(DialogDriver::PressOnDisplay("alt"));
    dialog.ClickAt(p.x, p.y);
    EXPECT_SOON_EQ(LookOf(dialog, 301), Look(true, 0x808080));
    ASSERT_TRUE(DialogDriver::ReleaseOnDisplay("alt"));
    EXPECT_EQ(LookOf(dialog, 300), Look(false, 0x808080));
    EXPECT_SOON_EQ(ColourEdits(dialog), (std::vector<std::string>{"0.0", "0.0", "50.0", "9.0"}));

    dialog.MoveOver(1);
    EXPECT_SOON_EQ(dialog.Text(2), "Cancel");
    dialog.Click(1);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{0});
    FilterParameters expected = DefaultSettings();
    expected.sourceHue = expected.destinationHue = 0;
    expected.sourceSaturation = expected.destinationSaturation = 0;
    expected.sourceBrightness = expected.destinationBrightness = 500;
    expected.range = 90;
    const FilterParameters stored = RecordParameters(host.handle());
    EXPECT_EQ(stored.sourceHue, expected.sourceHue);
    EXPECT_EQ(stored.sourceSaturation, expected.sourceSaturation);
    EXPECT_EQ(stored.sourceBrightness, expected.sourceBrightness);
    EXPECT_EQ(stored.destinationHue, expected.destinationHue);
    EXPECT_EQ(stored.destinationSaturation, expected.destinationSaturation);
    EXPECT_EQ(stored.destinationBrightness, expected.destinationBrightness);
    EXPECT_EQ(stored.range, expected.range);
}

// The dialog used as it exists to be used: the sample image opened from the
// menu, a colour of the wheel picked as Source, Destination selected and
// another picked, the range typed, OK.
TEST_F(SwatchTest, PickSourceAndDestinationFromTheWheelAndFilter) {
    DeleteFileA(SettingsFilePath().c_str());
    const Document original = SampleDocument();
    HostThread host(plugin_, original);
    DialogDriver dialog = OpenedDialog();
    SelectSource(dialog);

    // The wheel's centre is (384, 256), its radius 248: straight up is 90
    // degrees, straight left 180, at 150 / 248 of full saturation.
    const POINT up = OverPixel(dialog, original, 384, 256 - 150);
    dialog.ClickAt(up.x, up.y);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return dialog.Text(201) != "0.0"; }));
    EXPECT_NEAR(Shown(dialog, 201), 90.0f, 2.0f);
    EXPECT_NEAR(Shown(dialog, 202), 60.5f, 3.0f);
    EXPECT_EQ(dialog.Text(203), "100.0");

    dialog.Click(301);
    EXPECT_SOON_EQ(dialog.Text(201), "180.0");
    const POINT left = OverPixel(dialog, original, 384 - 150, 256);
    dialog.ClickAt(left.x, left.y);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return dialog.Text(202) != "50.0"; }));
    EXPECT_NEAR(Shown(dialog, 201), 180.0f, 2.0f);
    EXPECT_NEAR(Shown(dialog, 202), 60.5f, 3.0f);
    dialog.Focus(205);
    dialog.Type("25");
    EXPECT_SOON_EQ(dialog.TrackbarPosition(105), 250);

    dialog.Click(1);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{0});
    const FilterParameters stored = RecordParameters(host.handle());
    EXPECT_NEAR(stored.sourceHue, 900, 20);
    EXPECT_NEAR(stored.destinationHue, 1800, 20);
    EXPECT_NEAR(stored.destinationBrightness, 1000, 10);
    EXPECT_EQ(stored.range, 250);
    FilterParameters inFile{};
    ASSERT_TRUE(ReadSettingsFile(&inFile));
    EXPECT_EQ(inFile.sourceHue, stored.sourceHue);
    EXPECT_EQ(inFile.sourceSaturation, stored.sourceSaturation);
    EXPECT_EQ(inFile.sourceBrightness, stored.sourceBrightness);
    EXPECT_EQ(inFile.destinationHue, stored.destinationHue);
    EXPECT_EQ(inFile.destinationSaturation, stored.destinationSaturation);
    EXPECT_EQ(inFile.destinationBrightness, stored.destinationBrightness);
    EXPECT_EQ(inFile.range, stored.range);
    const Document expected = EngineResult(original, stored);
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(expected));
    EXPECT_NE(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(original));
}

}  // namespace
}  // namespace tavirel::test
