// The parameter dialog's commands, the Cancel button's labels and the zoom
// text over a dialog of plain data.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDialogSurface.h"
#include "plugin/dialog/CancelLabel.h"
#include "plugin/dialog/DialogCommands.h"
#include "plugin/dialog/DialogRefresh.h"
#include "plugin/dialog/DialogResult.h"
#include "plugin/dialog/SelectedColour.h"
#include "plugin/dialog/ValuePairs.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {
namespace {

constexpr int kClicked = 0, kDoubleClicked = 5, kEditChange = 0x300, kEditUpdate = 0x400, kEditKillFocus = 0x200;

class DialogCommandsTest : public BoundDialogTest {
protected:
    int Command(int id, int code = kClicked) { return OnDialogCommand(dialog, id, code, 0); }
    // Every pair, the swatches, the preview and the zoom text.
    void ExpectEverythingRefreshed() {
        EXPECT_EQ(dialog.Count("swatches"), 1);
        EXPECT_EQ(dialog.Count("preview"), 1);
        EXPECT_EQ(dialog.Count("set 9"), 1);
        EXPECT_EQ(dialog.Count("position 101") + dialog.Count("position 105"), 2);
    }
};

TEST_F(DialogCommandsTest, OkChecksTheEditsFirst) {
    dialog.controls[202].text = "";
    EXPECT_EQ(Command(1), 1);  // stays open
    EXPECT_EQ(dialog.Text(202), "0.0");
    EXPECT_EQ(dialog.focus, 202);
    EXPECT_EQ(dialog.selectedAll, 202);
    EXPECT_EQ(dialog.Count("beep"), 1);
    EXPECT_EQ(dialog.Count("end 1"), 0);
    dialog.ClearLog();
    EXPECT_EQ(Command(1), 0);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"end 1"});
    EXPECT_EQ(currentParameters.sourceSaturation, 0);

    // A missing trackbar does not keep the dialog open.
    dialog.controls.erase(103);
    dialog.ClearLog();
    EXPECT_EQ(Command(1), 0);
    EXPECT_EQ(dialog.Count("end 1"), 1);
}

TEST_F(DialogCommandsTest, CancelByItsLabel) {
    EXPECT_EQ(Command(2), 0);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"end 2"});

    currentParameters.sourceHue = 1234;
    currentParameters.range = 1;
    dialog.controls[2].text = "Default";
    dialog.ClearLog();
    Command(2);
    EXPECT_EQ(currentParameters.sourceHue, 0);
    EXPECT_EQ(currentParameters.range, 500);
    EXPECT_EQ(dialog.Text(205), "50.0");
    EXPECT_EQ(dialog.Count("end 2"), 0);
    ExpectEverythingRefreshed();

    dialog.controls[2].text = "Reset";
    dialog.ClearLog();
    Command(2);
    EXPECT_EQ(dialog.Count("reset"), 1);
    EXPECT_EQ(dialog.Count("end 2"), 0);
    ExpectEverythingRefreshed();

    // Exact and case-sensitive: anything else closes.
    for (const char* other : {"reset", "Default ", "Rese", ""}) {
        dialog.controls[2].text = other;
        dialog.ClearLog();
        Command(2);
        EXPECT_EQ(dialog.log, std::vector<std::string>{"end 2"}) << '"' << other << '"';
    }
}

TEST_F(DialogCommandsTest, CancelLabelFollowsTheModifiers) {
    const struct {
        bool alt, shift;
        const char* label;
    } table[] = {{false, false, "Cancel"}, {false, true, "Cancel"}, {true, false, "Reset"}, {true, true, "Default"}};
    for (const auto& row : table) {
        dialog.keys = ModifierKeys{row.alt, row.shift};
        UpdateCancelLabel(dialog);
        EXPECT_EQ(dialog.Text(2), row.label) << row.alt << row.shift;
        // Rewritten only when it differs.
        dialog.ClearLog();
        UpdateCancelLabel(dialog);
        EXPECT_TRUE(dialog.log.empty());
    }
    const unsigned char* labels[] = {cancelLabelCancel, cancelLabelReset, cancelLabelDefault};
    EXPECT_EQ(labels[0][0], 6);
    EXPECT_EQ(labels[1][0], 5);
    EXPECT_EQ(labels[2][0], 7);
    EXPECT_EQ(CancelActionFor(cancelLabelDefault), CancelAction::Default);
    EXPECT_EQ(CancelActionFor(cancelLabelReset), CancelAction::Reset);
    EXPECT_EQ(CancelActionFor(cancelLabelCancel), CancelAction::Close);

    // A key event: the key that went down or up counts as the event says,
    // even where the asynchronous state does not show it yet (Alt 0x12 and
    // its left and right 0xA4, 0xA5; Shift 0x10, 0xA0, 0xA1); other keys
    // change nothing.
    const struct {
        ModifierKeys held;
        unsigned key;
        bool released;
        const char* label;
    } keys[] = {
        {{false, false}, 0x12, false, "Reset"}, {{false, true}, 0xA4, false, "Default"},
        {{true, true}, 0xA5, true, "Cancel"},   {{true, false}, 0x10, false, "Default"},
        {{true, true}, 0xA0, true, "Reset"},    {{true, true}, 0xA1, true, "Reset"},
        {{true, false}, 0x41, false, "Reset"},  {{false, true}, 0x41, true, "Cancel"},
    };
    for (const auto& k : keys) {
        ApplyCancelLabel(dialog, ModifiersAfterKey(k.held, k.key, k.released));
        EXPECT_EQ(dialog.Text(2), k.label) << std::hex << k.key << " released " << k.released;
    }

    // No Cancel button, no work.
    dialog.ClearLog();
    dialog.controls.erase(2);
    dialog.keys.alt = true;
    UpdateCancelLabel(dialog);
    EXPECT_TRUE(dialog.log.empty());
}

TEST_F(DialogCommandsTest, LoadSaveAndPreview) {
    Command(3);
    EXPECT_EQ(dialog.Count("load"), 1);
    EXPECT_EQ(dialog.Count("swatches"), 1);
    EXPECT_EQ(dialog.Count("preview"), 1);
    EXPECT_EQ(dialog.Count("set 9"), 1);
    dialog.loadResult = 5;  // a system error: nothing more
    dialog.ClearLog();
    Command(3);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"load"});
    dialog.ClearLog();
    Command(4);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"save"});

    dialog.controls[6].checked = false;
    dialog.ClearLog();
    Command(6, kDoubleClicked);
    EXPECT_EQ(dialog.Count("effect 0"), 1);
    ExpectEverythingRefreshed();
    dialog.controls[6].checked = true;
    dialog.ClearLog();
    Command(6);
    EXPECT_EQ(dialog.Count("effect 1"), 1);
    dialog.ClearLog();
    Command(6, 6);  // focus notifications of BS_NOTIFY
    Command(6, 7);
    EXPECT_TRUE(dialog.log.empty());
}

TEST_F(DialogCommandsTest, ZoomButtonsRefreshOnlyOnAChange) {
    Command(8);
    Command(10, kDoubleClicked);
    EXPECT_EQ(dialog.Count("zoom -1"), 1);
    EXPECT_EQ(dialog.Count("zoom 1"), 1);
    EXPECT_EQ(dialog.Count("preview"), 2);
    EXPECT_EQ(dialog.Text(9), "50%");
    dialog.zoomChanges = 0;
    dialog.ClearLog();
    Command(8);
    Command(10);
    Command(10, 6);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"zoom -1", "zoom 1"}));
}

TEST_F(DialogCommandsTest, ZoomTextTogglesActualSizeAndFit) {
    // Outside the text: nothing.
    OnZoomTextClick(dialog, 229, 265);
    OnZoomTextClick(dialog, 290, 265);
    EXPECT_TRUE(dialog.log.empty());
    dialog.zoomChanges = 0;  // rewritten whether or not the zoom changed
    dialog.zoomPercent = 33;
    OnZoomTextClick(dialog, 230, 260);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"zoom 100", "preview", "set 9"}));
    EXPECT_EQ(dialog.Text(9), "33%");
    dialog.zoomPercent = 100;
    dialog.ClearLog();
    OnZoomTextClick(dialog, 289, 275);
    EXPECT_EQ(dialog.Count("zoom 0"), 1);
    EXPECT_EQ(dialog.Text(9), "100%");
    dialog.zoomPercent = 1600;
    ShowZoomPercent(dialog);
    EXPECT_EQ(dialog.Text(9), "1600%");
}

TEST_F(DialogCommandsTest, EditsAndColourCommands) {
    // The program's own text changes come while the edit is unfocused.
    dialog.focus = 0;
    dialog.controls[201].text = "90";
    Command(201, kEditChange);
    EXPECT_EQ(currentParameters.sourceHue, 0);
    dialog.focus = 201;
    Command(201, kEditUpdate);
    EXPECT_EQ(currentParameters.sourceHue, 0);
    Command(201, kEditChange);
    EXPECT_EQ(currentParameters.sourceHue, 900);
    EXPECT_EQ(dialog.controls[101].position, 900);
    // An edit that loses the focus shows its text from the first character.
    dialog.ClearLog();
    Command(201, kEditKillFocus);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"start 201"});

    // Swatches, the preview's notifications and anything else go to the
    // colour commands; their change refreshes the pairs and the preview.
    dialog.ClearLog();
    for (int id : {5, 7, 300, 301, 206}) Command(id, 0x8001);
    EXPECT_EQ(dialog.Count("colour 5 32769"), 1);
    EXPECT_EQ(dialog.Count("colour 206 32769"), 1);
    EXPECT_EQ(dialog.Count("preview"), 0);
    dialog.colourResult = 1;
    currentParameters.sourceHue = 450;
    dialog.ClearLog();
    Command(300);
    EXPECT_EQ(dialog.Text(201), "45.0");
    EXPECT_EQ(dialog.Count("preview"), 1);
    EXPECT_EQ(dialog.Count("set 9"), 1);
}

TEST(DialogResultTest, EndCodesAndFailures) {
    EXPECT_EQ(DialogResultCode(1, 0), 0);
    EXPECT_EQ(DialogResultCode(2, 0), 1);
    EXPECT_EQ(DialogResultCode(-1, 1407), 1407);
    EXPECT_EQ(DialogResultCode(-1, 0), -108);
    // The system shows nothing for a bad owner and returns 0: not an OK.
    EXPECT_EQ(DialogResultCode(0, 1400), 1400);
    EXPECT_EQ(DialogResultCode(0, 0), -108);
}

}  // namespace
}  // namespace tavirel::test
