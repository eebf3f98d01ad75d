// The value pairs over a dialog of plain data: binding, every value through
// its text and back, typing, trackbar moves and the check at OK.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDialogSurface.h"
#include "plugin/dialog/SelectedColour.h"
#include "plugin/dialog/ValuePairs.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {
namespace {

class ValuePairsTest : public BoundDialogTest {
protected:
    // The user types into a focused edit: the text changes, then EN_CHANGE.
    void TypeInto(int edit, const std::string& text) {
        dialog.focus = edit;
        dialog.controls[edit].text = text;
        OnValueEdited(dialog, edit - 100);
    }
};

TEST_F(ValuePairsTest, BindingShowsTheSelectedColourAndFocusesTheFirstEdit) {
    EXPECT_EQ(dialog.Text(201), "0.0");
    EXPECT_EQ(dialog.Text(202), "100.0");
    EXPECT_EQ(dialog.Text(203), "100.0");
    EXPECT_EQ(dialog.Text(204), "0.0");  // the pair with no value
    EXPECT_EQ(dialog.Text(205), "50.0");
    EXPECT_EQ(dialog.controls[101].maximum, 3600);
    for (int t = 102; t <= 105; ++t) EXPECT_EQ(dialog.controls[t].maximum, 1000) << t;
    EXPECT_EQ(dialog.controls[103].position, 1000);
    EXPECT_EQ(dialog.controls[105].binding, MakeValueBinding(1, 4, 205));
    EXPECT_EQ(dialog.focus, 201);
    EXPECT_EQ(dialog.selectedAll, 201);
    EXPECT_EQ(valuePairRun.firstEdit, 201);
    EXPECT_EQ(valuePairRun.firstTrackbar, 101);
    EXPECT_EQ(valuePairRun.count, 5);

    // The Destination swatch selected: H, S, B follow it, the range is shared.
    activeSwatch = 301;
    RefreshValuePairs(dialog);
    EXPECT_EQ(dialog.Text(201), "180.0");
    EXPECT_EQ(dialog.Text(202), "50.0");
    EXPECT_EQ(dialog.Text(203), "50.0");
    EXPECT_EQ(dialog.Text(205), "50.0");
    EXPECT_EQ(dialog.controls[101].position, 1800);

    // A missing trackbar leaves its pair alone and the others bound.
    FakeDialogSurface partial;
    partial.controls.erase(103);
    partial.controls[203].text = "untouched";
    EXPECT_EQ(BindValuePairs(partial, 5, 101, 201, 1), -109);
    EXPECT_EQ(partial.Text(203), "untouched");
    EXPECT_EQ(partial.Text(205), "50.0");
    EXPECT_EQ(SyncPairFromParameter(partial, 103), -109);
    EXPECT_EQ(OnValueEdited(partial, 103), -109);
}

// Every value the dialog writes reads back as the same value: shown, typed
// back (no change, no redraw) and stored at OK.
TEST_F(ValuePairsTest, EveryValueSurvivesItsOwnText) {
    for (int index : {0, 1, 2, 4}) {
        const int trackbar = 101 + index, edit = 201 + index, top = index == 0 ? 3600 : 1000;
        for (int32_t v = 0; v <= top; ++v) {
            SetParameterComponent(0, index, v);
            SyncPairFromParameter(dialog, trackbar);
            dialog.ClearLog();
            TypeInto(edit, dialog.Text(edit));
            ASSERT_TRUE(dialog.log.empty()) << v << " shown as " << dialog.Text(edit);
            SetParameterComponent(0, index, -1);
            ASSERT_EQ(ValidateValueEdits(dialog), 0) << v;
            ASSERT_EQ(GetParameterComponent(0, index), v) << dialog.Text(edit);
        }
    }
    SetParameterComponent(0, 0, 7);
    RefreshValuePairs(dialog);
    EXPECT_EQ(dialog.Text(201), "0.7");
    currentParameters.destinationHue = 3600;
    activeSwatch = 301;
    RefreshValuePairs(dialog);
    EXPECT_EQ(dialog.Text(201), "360.0");
    currentParameters.destinationHue = 1237;
    RefreshValuePairs(dialog);
    EXPECT_EQ(dialog.Text(201), "123.7");
}

TEST_F(ValuePairsTest, TypingMovesTheValueAndLeavesTheText) {
    TypeInto(201, "400");
    EXPECT_EQ(currentParameters.sourceHue, 3600);
    EXPECT_EQ(dialog.controls[101].position, 3600);
    EXPECT_EQ(dialog.Text(201), "400");  // as typed, until OK
    EXPECT_EQ(dialog.Count("swatches"), 1);
    EXPECT_EQ(dialog.Count("preview"), 1);
    EXPECT_EQ(dialog.Count("set 9"), 1);        // the zoom text with the preview
    EXPECT_EQ(dialog.Count("preview now"), 0);  // typing only invalidates

    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"12,5", 125}, {"12.34", 123},  {"12.35", 124},   {"1 2", 120}, {"", 0},  {"abc", 0},
                 {"-3", 0},     {"+12.50", 125}, {" 99.99", 1000}, {"5-", 50},   {".", 0}, {"100.04", 1000}};
    for (const auto& c : cases) {
        TypeInto(202, c.text);
        EXPECT_EQ(currentParameters.sourceSaturation, c.value) << '"' << c.text << '"';
        EXPECT_EQ(dialog.controls[102].position, c.value) << '"' << c.text << '"';
        EXPECT_EQ(dialog.Text(202), c.text);
    }

    // The value already held, typed differently: nothing happens at all.
    TypeInto(205, "50.0");
    dialog.ClearLog();
    TypeInto(205, "50");
    TypeInto(205, "050.00");
    EXPECT_TRUE(dialog.log.empty());
    EXPECT_EQ(currentParameters.range, 500);

    // The range changes the range whichever swatch is selected; only the hue,
    // saturation and brightness follow the selection.
    activeSwatch = 301;
    TypeInto(205, "12.3");
    TypeInto(201, "90");
    EXPECT_EQ(currentParameters.range, 123);
    EXPECT_EQ(currentParameters.destinationHue, 900);
    EXPECT_EQ(currentParameters.sourceHue, 3600);
}

TEST_F(ValuePairsTest, OkRewritesTheFirstBadEditAndStoresNothingAfterIt) {
    TypeInto(201, "400");
    TypeInto(203, "");
    dialog.controls[205].text = "12.3";  // typed while unfocused: never seen
    currentParameters.range = 77;
    dialog.ClearLog();

    EXPECT_EQ(ValidateValueEdits(dialog), 201);
    EXPECT_EQ(dialog.Text(201), "360.0");
    EXPECT_EQ(dialog.Count("replace 201"), 1);
    EXPECT_EQ(currentParameters.range, 77);  // not reached

    EXPECT_EQ(ValidateValueEdits(dialog), 203);
    EXPECT_EQ(dialog.Text(203), "0.0");
    EXPECT_EQ(currentParameters.range, 77);

    EXPECT_EQ(ValidateValueEdits(dialog), 0);
    EXPECT_EQ(currentParameters.sourceHue, 3600);
    EXPECT_EQ(currentParameters.sourceBrightness, 0);
    EXPECT_EQ(currentParameters.range, 123);  // OK commits what the edits show
    EXPECT_EQ(dialog.Text(204), "0.0");       // the hidden pair passes and stores nowhere

    // Out of range below, and bounds themselves.
    dialog.controls[202].text = "-0.1";
    EXPECT_EQ(ValidateValueEdits(dialog), 202);
    EXPECT_EQ(dialog.Text(202), "0.0");
    dialog.controls[201].text = "360";
    dialog.controls[202].text = "0";
    EXPECT_EQ(ValidateValueEdits(dialog), 0);

    // A missing trackbar stops the check with -109.
    dialog.controls.erase(102);
    EXPECT_EQ(ValidateValueEdits(dialog), -109);
}

TEST_F(ValuePairsTest, EveryTrackbarMovementIsTakenAtOnce) {
    // A drag, a key step, a page step, Home and End: value, edit, swatches, preview.
    for (int code : {5, 4, 0, 1, 2, 3, 6, 7}) {
        dialog.controls[102].position = 100 + code;
        dialog.ClearLog();
        OnTrackbarScroll(dialog, code, 102);
        EXPECT_EQ(currentParameters.sourceSaturation, 100 + code) << code;
        EXPECT_EQ(dialog.Text(202), "10." + std::to_string(code)) << code;
        EXPECT_EQ(dialog.Count("swatches now"), 1) << code;
        EXPECT_EQ(dialog.Count("preview now"), 1) << code;
        EXPECT_EQ(dialog.Count("preview"), 0) << code;  // drawn, not invalidated
    }
    // The end of a track after a step already taken: nothing more.
    dialog.ClearLog();
    OnTrackbarScroll(dialog, 8, 102);
    EXPECT_TRUE(dialog.log.empty());
    // ... but a position the value does not hold yet is taken.
    dialog.controls[102].position = 900;
    OnTrackbarScroll(dialog, 8, 102);
    EXPECT_EQ(currentParameters.sourceSaturation, 900);
    EXPECT_EQ(dialog.Count("preview now"), 1);

    // The range redraws the preview but not the swatches.
    dialog.controls[105].position = 321;
    dialog.ClearLog();
    OnTrackbarScroll(dialog, 5, 105);
    EXPECT_EQ(currentParameters.range, 321);
    EXPECT_EQ(dialog.Text(205), "32.1");
    EXPECT_EQ(dialog.Count("swatches now"), 0);
    EXPECT_EQ(dialog.Count("preview now"), 1);

    // The same edit text is not written twice.
    dialog.ClearLog();
    OnTrackbarScroll(dialog, 5, 105);
    EXPECT_EQ(dialog.Count("replace 205"), 0);

    // No trackbar window with the message, or an unknown one: nothing.
    dialog.ClearLog();
    OnTrackbarScroll(dialog, 5, 0);
    OnTrackbarScroll(dialog, 5, 777);
    EXPECT_TRUE(dialog.log.empty());
}

TEST_F(ValuePairsTest, IntegerPairs) {
    // A pair with no decimals reads and writes through the system's integer conversion.
    FakeDialogSurface plain;
    BindValuePairs(plain, 5, 101, 201, 0);
    EXPECT_EQ(plain.Text(201), "0");
    EXPECT_EQ(plain.Text(205), "500");
    plain.focus = 205;
    plain.controls[205].text = "1234";
    OnValueEdited(plain, 105);
    EXPECT_EQ(currentParameters.range, 1000);
    EXPECT_EQ(ValidateValueEdits(plain), 205);
    EXPECT_EQ(plain.Text(205), "1000");
    plain.controls[205].text = "12a";
    EXPECT_EQ(ValidateValueEdits(plain), 205);
    EXPECT_EQ(plain.Text(205), "0");
    plain.ClearLog();
    EXPECT_EQ(SetEditIntegerIfChanged(plain, 205, 0), 0);
    EXPECT_EQ(SetEditIntegerIfChanged(plain, 205, -7), 1);
    EXPECT_EQ(plain.Text(205), "-7");
}

}  // namespace
}  // namespace tavirel::test
