// The swatches' geometry and colours, the read-outs and the colour commands
// (swatch clicks, hovers and picks) over a dialog of plain data.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDialogSurface.h"
#include "plugin/dialog/ColourCommands.h"
#include "plugin/dialog/DialogCommands.h"
#include "plugin/dialog/SampleReadouts.h"
#include "plugin/dialog/SelectedColour.h"
#include "plugin/dialog/SwatchPainting.h"
#include "plugin/dialog/ValuePairs.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {
namespace {

constexpr int kHover = 0x8001, kPick = 0x8002;

bool operator==(const SwatchRect& a, const SwatchRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SwatchPaintingTest, RingsFrameAndFillFromTheOutsideIn) {
    const SwatchLayout l = LayOutSwatch(98, 25);
    EXPECT_TRUE((l.rings[0] == SwatchRect{0, 0, 98, 25}));
    EXPECT_TRUE((l.rings[1] == SwatchRect{1, 1, 97, 24}));
    EXPECT_TRUE((l.frame == SwatchRect{2, 2, 96, 23}));
    // One pixel left unpainted inside the frame.
    EXPECT_TRUE((l.fill == SwatchRect{4, 4, 94, 21}));
    EXPECT_TRUE((l.focus[0] == SwatchRect{5, 5, 93, 20}));
    EXPECT_TRUE((l.focus[1] == SwatchRect{6, 6, 92, 19}));

    // Too small for a colour: the rectangles empty out instead of turning
    // inside out.
    const SwatchLayout tiny = LayOutSwatch(7, 3);
    EXPECT_TRUE((tiny.frame == SwatchRect{2, 2, 5, 2}));
    EXPECT_TRUE((tiny.fill == SwatchRect{4, 4, 4, 4}));
    const SwatchLayout none = LayOutSwatch(0, 0);
    EXPECT_TRUE((none.rings[1] == SwatchRect{1, 1, 1, 1}));
    EXPECT_TRUE((none.fill == SwatchRect{4, 4, 4, 4}));
}

TEST(SwatchPaintingTest, FillColoursFromTheSettings) {
    SetDefaultParameters(&currentParameters);
    auto expect = [](int colour, int r, int g, int b) {
        const SwatchColour c = SwatchFillColour(colour);
        EXPECT_EQ(c.red, r);
        EXPECT_EQ(c.green, g);
        EXPECT_EQ(c.blue, b);
    };
    expect(0, 255, 0, 0);  // the default Source: pure red
    // The default Destination, hue 180.0 at 50 %, 50 %: hue index 765 (cyan),
    // top 128 and bottom 64 of 255.
    expect(1, 64, 128, 128);
    currentParameters.sourceSaturation = 0;
    currentParameters.sourceBrightness = 500;
    expect(0, 128, 128, 128);  // grey
    currentParameters.sourceSaturation = 1000;
    currentParameters.sourceBrightness = 0;
    expect(0, 0, 0, 0);  // black
    // 360.0 is the hue index 1530, red again.
    currentParameters.sourceHue = 3600;
    currentParameters.sourceBrightness = 1000;
    expect(0, 255, 0, 0);
    SetDefaultParameters(&currentParameters);
}

SampleRecord Sample(int32_t r, int32_t g, int32_t b, int32_t fr, int32_t fg, int32_t fb) {
    SampleRecord s{};
    s.input[0] = r, s.input[1] = g, s.input[2] = b;
    s.output[0] = fr, s.output[1] = fg, s.output[2] = fb;
    return s;
}

TEST(SampleReadoutsTest, ConversionToSettingsUnits) {
    const struct {
        int32_t r, g, b;
        int32_t hue, saturation, brightness;
    } table[] = {
        {32768, 0, 0, 0, 1000, 1000},        // pure red
        {16384, 16384, 16384, 0, 0, 500},    // mid grey
        {32768, 16384, 0, 300, 1000, 1000},  // orange, 30 degrees
        {0, 32768, 0, 1200, 1000, 1000},     // green
        {0, 0, 16384, 2400, 1000, 500},      // dark blue
        {32768, 0, 1, 3600, 1000, 1000},     // the very end of the circle
        {0, 0, 0, 0, 0, 0},                  // black
        {32768, 32768, 32768, 0, 0, 1000},   // white
    };
    for (const auto& row : table) {
        SampleRecord s = Sample(row.r, row.g, row.b, row.r, row.g, row.b);
        ConvertSampleToSettings(&s);
        SCOPED_TRACE(std::to_string(row.r) + " " + std::to_string(row.g) + " " + std::to_string(row.b));
        for (const int32_t* hsb : {s.input, s.output}) {
            EXPECT_EQ(hsb[0], row.hue);
            EXPECT_EQ(hsb[1], row.saturation);
            EXPECT_EQ(hsb[2], row.brightness);
        }
    }
    // Blue 32768, green 16384, red 8192: max - min = 24576, hue 240 - 60 x
    // (16384 - 8192) / 24576 = 220 degrees; saturation 24576 / 32768 = 75 %.
    SampleRecord s = Sample(8192, 16384, 32768, 0, 0, 0);
    ConvertSampleToSettings(&s);
    EXPECT_EQ(s.input[0], 2200);
    EXPECT_EQ(s.input[1], 750);
    EXPECT_EQ(s.input[2], 1000);
    // The two colours are converted each on its own; entries past the third
    // are left alone.
    s = Sample(0, 32768, 0, 32768, 0, 0);
    s.input[3] = 777;
    ConvertSampleToSettings(&s);
    EXPECT_EQ(s.input[0], 1200);
    EXPECT_EQ(s.output[0], 0);
    EXPECT_EQ(s.input[3], 777);

    // Channels off the 0..32768 scale are held to it, never read as their
    // low 16 bits (-1 would otherwise be a brightness of 200 %).
    s = Sample(-1, -1, -1, 40000, 0, 0);
    ConvertSampleToSettings(&s);
    EXPECT_EQ(s.input[2], 0);
    EXPECT_EQ(s.output[0], 0);
    EXPECT_EQ(s.output[2], 1000);
}

TEST(SampleReadoutsTest, ShownWithOneDecimalAndEmptiedOffTheImage) {
    FakeDialogSurface dialog;
    SampleRecord s = Sample(0, 1000, 1000, 3600, 1234, 5);
    ShowSampleReadouts(dialog, &s);
    EXPECT_EQ(dialog.Text(401), "0.0");
    EXPECT_EQ(dialog.Text(402), "100.0");
    EXPECT_EQ(dialog.Text(403), "100.0");
    EXPECT_EQ(dialog.Text(501), "360.0");
    EXPECT_EQ(dialog.Text(502), "123.4");
    EXPECT_EQ(dialog.Text(503), "0.5");
    // Only what differs is rewritten.
    dialog.ClearLog();
    s.output[1] = 1235;
    ShowSampleReadouts(dialog, &s);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"replace 502"});
    EXPECT_EQ(dialog.Text(502), "123.5");

    // Off the image: all six emptied and repainted, every time.
    for (int round = 0; round < 2; ++round) {
        dialog.ClearLog();
        ShowSampleReadouts(dialog, nullptr);
        EXPECT_EQ(dialog.log.size(), 6u);
        for (int id : {401, 402, 403, 501, 502, 503}) {
            EXPECT_EQ(dialog.Text(id), "");
            EXPECT_EQ(dialog.Count("replace " + std::to_string(id)), 1);
        }
    }
}

class ColourCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&currentParameters, 0, sizeof currentParameters);
        SetDefaultParameters(&currentParameters);
        activeSwatch = 300;
        dialog.realColourCommands = true;
        BindValuePairs(dialog, 5, 101, 201, 1);
        dialog.ClearLog();
    }
    void TearDown() override { activeSwatch = 300; }
    std::vector<std::string> Pairs() {
        return {dialog.Text(201), dialog.Text(202), dialog.Text(203), dialog.Text(205)};
    }
    int Notify(int code, SampleRecord* s) { return OnDialogCommand(dialog, 5, code, reinterpret_cast<intptr_t>(s)); }
    void ExpectColour(int colour, int32_t h, int32_t s, int32_t b) {
        EXPECT_EQ(GetParameterComponent(colour, 0), h) << "colour " << colour;
        EXPECT_EQ(GetParameterComponent(colour, 1), s) << "colour " << colour;
        EXPECT_EQ(GetParameterComponent(colour, 2), b) << "colour " << colour;
    }
    FakeDialogSurface dialog;
};

TEST_F(ColourCommandsTest, SwatchClicksSelectAndSwitchThePairs) {
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"0.0", "100.0", "100.0", "50.0"}));
    EXPECT_EQ(OnDialogCommand(dialog, 301, 0, 0), 0);
    EXPECT_EQ(activeSwatch, 301);
    EXPECT_EQ(SelectedColour(), 1);
    EXPECT_EQ(dialog.Count("swatches"), 1);
    EXPECT_EQ(dialog.Count("preview"), 1);
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"180.0", "50.0", "50.0", "50.0"}));
    EXPECT_EQ(dialog.controls[101].position, 1800);

    // Any notification of a swatch selects it; the selected one again still
    // counts as a change.
    dialog.ClearLog();
    EXPECT_EQ(OnColourCommand(dialog, 301, 1, nullptr), 1);
    EXPECT_EQ(dialog.Count("swatches"), 1);
    EXPECT_EQ(OnColourCommand(dialog, 300, 5, nullptr), 1);
    EXPECT_EQ(activeSwatch, 300);

    // Other ids are no colour command.
    dialog.ClearLog();
    SampleRecord s = Sample(0, 32768, 0, 0, 32768, 0);
    for (int id : {7, 302, 400, 401}) EXPECT_EQ(OnColourCommand(dialog, id, kPick, &s), 0);
    EXPECT_TRUE(dialog.log.empty());
    ExpectColour(0, 0, 1000, 1000);
}

TEST_F(ColourCommandsTest, PicksTakeTheUnfilteredColour) {
    // Orange under the pointer, filtered into blue: the pick takes the orange.
    SampleRecord s = Sample(32768, 16384, 0, 0, 0, 32768);
    EXPECT_EQ(OnColourCommand(dialog, 5, kPick, &s), 1);
    ExpectColour(0, 300, 1000, 1000);
    ExpectColour(1, 1800, 500, 500);
    EXPECT_EQ(activeSwatch, 300);
    EXPECT_EQ(dialog.Count("swatches"), 1);
    // A pick is no hover: the read-outs stay as they were.
    EXPECT_EQ(dialog.Text(401), "");

    // With Destination selected only the Destination changes; the same spot
    // gives the same values whatever the settings have become.
    OnDialogCommand(dialog, 301, 0, 0);
    currentParameters.destinationHue = 3333;
    s = Sample(32768, 16384, 0, 123, 456, 789);
    dialog.ClearLog();
    EXPECT_EQ(Notify(kPick, &s), 0);
    ExpectColour(0, 300, 1000, 1000);
    ExpectColour(1, 300, 1000, 1000);
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"30.0", "100.0", "100.0", "50.0"}));
    EXPECT_EQ(dialog.Count("preview"), 1);
    EXPECT_EQ(currentParameters.range, 500);
}

TEST_F(ColourCommandsTest, AltPicksIntoBothAndSelectsDestination) {
    dialog.keys.alt = true;
    SampleRecord s = Sample(16384, 16384, 16384, 0, 0, 0);  // mid grey
    EXPECT_EQ(Notify(kPick, &s), 0);
    ExpectColour(0, 0, 0, 500);
    ExpectColour(1, 0, 0, 500);
    EXPECT_EQ(activeSwatch, 301);
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"0.0", "0.0", "50.0", "50.0"}));
    EXPECT_EQ(dialog.Count("swatches"), 1);

    // Alt held while the pointer only hovers picks nothing.
    dialog.ClearLog();
    s = Sample(0, 32768, 0, 0, 32768, 0);
    EXPECT_EQ(OnColourCommand(dialog, 5, kHover, &s), 0);
    ExpectColour(0, 0, 0, 500);
    EXPECT_EQ(dialog.Text(401), "120.0");
    EXPECT_EQ(dialog.Count("swatches"), 0);
}

TEST_F(ColourCommandsTest, HoversShowAndNullRecordsEmpty) {
    SampleRecord s = Sample(32768, 0, 0, 0, 32768, 32768);
    EXPECT_EQ(OnColourCommand(dialog, 5, kHover, &s), 0);
    EXPECT_EQ(dialog.Text(401), "0.0");
    EXPECT_EQ(dialog.Text(402), "100.0");
    EXPECT_EQ(dialog.Text(403), "100.0");
    EXPECT_EQ(dialog.Text(501), "180.0");
    // The record now holds the converted values.
    EXPECT_EQ(s.output[0], 1800);

    // A null record, whatever its code, empties the read-outs and picks nothing.
    for (int code : {kHover, kPick}) {
        EXPECT_EQ(OnColourCommand(dialog, 5, code, nullptr), 0);
        for (int id : {401, 402, 403, 501, 502, 503}) EXPECT_EQ(dialog.Text(id), "");
    }
    ExpectColour(0, 0, 1000, 1000);
    EXPECT_EQ(dialog.Count("swatches"), 0);
}

}  // namespace
}  // namespace tavirel::test
