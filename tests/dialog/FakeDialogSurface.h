// A parameter dialog made of plain data for the dialog's logic: controls by
// id with a text, a trackbar's range, position and binding, a check state and
// a rectangle; the focus, the modifier keys; and a log of every call that
// reaches beyond the controls.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/dialog/ColourCommands.h"
#include "plugin/dialog/DialogSurface.h"
#include "plugin/dialog/SelectedColour.h"
#include "plugin/dialog/ValuePairs.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {

class FakeDialogSurface final : public DialogSurface {
public:
    struct Control {
        std::string text;
        ValueBinding binding = 0;
        int32_t minimum = 0, maximum = 100, position = 0;  // a new trackbar's defaults
        bool checked = false;
        int32_t left = 0, top = 0, right = 0, bottom = 0;  // dialog client coordinates
    };

    // The parameter dialog's controls: pairs, labels, buttons, zoom text,
    // swatches and read-outs.
    FakeDialogSurface() {
        for (int id : {1, 2, 3, 4, 5, 6, 8, 9, 10, 91, 92, 93, 300, 301, 401, 402, 403, 501, 502, 503}) controls[id];
        for (int k = 0; k < 5; ++k) controls[101 + k], controls[201 + k];
        controls[2].text = "Cancel";
        controls[9] = Control{};
        controls[9].left = 230, controls[9].top = 260, controls[9].right = 290, controls[9].bottom = 276;
    }

    std::map<int, Control> controls;
    int focus = 0;
    int selectedAll = 0;  // the last edit whose whole text was selected
    ModifierKeys keys;
    std::vector<std::string> log;

    // What the other parts answer.
    int zoomChanges = 1;
    uint32_t zoomPercent = 50;
    int loadResult = 0;
    int colourResult = 0;
    // Colour commands go to the real swatch and read-out logic instead of
    // answering colourResult; lParam is then a SampleRecord or null.
    bool realColourCommands = false;
    int handleResult = 0;

    std::string Text(int id) { return controls.at(id).text; }
    void ClearLog() { log.clear(); }
    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : log) n += e == entry;
        return n;
    }

    bool HasControl(int id) override { return controls.count(id) != 0; }
    bool ReadBinding(int trackbar, ValueBinding* binding) override {
        if (!HasControl(trackbar)) return false;
        *binding = controls[trackbar].binding;
        return true;
    }
    void StoreBinding(int trackbar, ValueBinding binding) override { Find(trackbar).binding = binding; }
    void SetTrackbarRange(int trackbar, int32_t minimum, int32_t maximum) override {
        Find(trackbar).minimum = minimum;
        Find(trackbar).maximum = maximum;
    }
    int32_t TrackbarMinimum(int trackbar) override { return Find(trackbar).minimum; }
    int32_t TrackbarMaximum(int trackbar) override { return Find(trackbar).maximum; }
    int32_t TrackbarPosition(int trackbar) override { return Find(trackbar).position; }
    // A trackbar keeps its thumb inside its range, as the system's does.
    void SetTrackbarPosition(int trackbar, int16_t position) override {
        Control& c = Find(trackbar);
        c.position = position < c.minimum ? c.minimum : (position > c.maximum ? c.maximum : position);
        log.push_back("position " + std::to_string(trackbar));
    }
    void ReadText(int id, int maxChars, unsigned char* counted) override {
        const std::string t = Find(id).text.substr(0, size_t(maxChars));
        counted[0] = uint8_t(t.size());
        std::memcpy(counted + 1, t.data(), t.size());
    }
    // As GetDlgItemInt: blanks, a sign and digits, and nothing after them.
    bool ReadInteger(int id, int32_t* value) override {
        const std::string& t = Find(id).text;
        char* end = nullptr;
        const long n = std::strtol(t.c_str(), &end, 10);
        if (end == t.c_str() || *end != '\0') return false;
        *value = int32_t(n);
        return true;
    }
    void ReplaceText(int id, const unsigned char* counted) override {
        Find(id).text.assign(reinterpret_cast<const char*>(counted + 1), counted[0]);
        log.push_back("replace " + std::to_string(id));
    }
    void SetText(int id, const unsigned char* counted) override {
        Find(id).text.assign(reinterpret_cast<const char*>(counted + 1), counted[0]);
        log.push_back("set " + std::to_string(id));
    }
    void SelectAllAndFocus(int id) override {
        if (!HasControl(id)) return;
        focus = id;
        selectedAll = id;
    }
    void ShowTextStart(int id) override { log.push_back("start " + std::to_string(id)); }
    bool HasFocus(int id) override { return focus == id; }
    bool IsChecked(int id) override { return Find(id).checked; }
    bool PointInControl(int id, int32_t x, int32_t y) override {
        const Control& c = Find(id);
        return x >= c.left && x < c.right && y >= c.top && y < c.bottom;
    }
    ModifierKeys Modifiers() override { return keys; }
    void EndDialog(int code) override { log.push_back("end " + std::to_string(code)); }
    void WarningBeep() override { log.push_back("beep"); }
    void InvalidateSwatches() override { log.push_back("swatches"); }
    void RepaintSwatchesNow() override { log.push_back("swatches now"); }
    void InvalidatePreview() override { log.push_back("preview"); }
    void RedrawPreview() override { log.push_back("preview now"); }
    int SetPreviewZoom(int32_t request) override {
        log.push_back("zoom " + std::to_string(request));
        return zoomChanges;
    }
    uint32_t PreviewZoomPercent() override { return zoomPercent; }
    void SetPreviewShowsEffect(int32_t flag) override { log.push_back("effect " + std::to_string(flag)); }
    int LoadParameterFile() override {
        log.push_back("load");
        return loadResult;
    }
    int SaveParameterFile() override {
        log.push_back("save");
        return 0;
    }
    int LoadParametersFromHandle() override {
        log.push_back("reset");
        return handleResult;
    }
    int OnColourCommand(int id, int code, intptr_t lParam) override {
        log.push_back("colour " + std::to_string(id) + " " + std::to_string(code));
        if (realColourCommands)
            return tavirel::OnColourCommand(*this, id, code, reinterpret_cast<SampleRecord*>(lParam));
        return colourResult;
    }

private:
    // A missing control reads as an empty one and keeps nothing.
    Control& Find(int id) {
        static Control nowhere;
        auto it = controls.find(id);
        if (it != controls.end()) return it->second;
        nowhere = Control{};
        return nowhere;
    }
};

// A fake dialog with the default settings, Source selected and the four
// value pairs bound as the real dialog binds them, its log empty.
class BoundDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&currentParameters, 0, sizeof currentParameters);
        SetDefaultParameters(&currentParameters);
        activeSwatch = 300;
        BindValuePairs(dialog, 5, 101, 201, 1);
        dialog.ClearLog();
    }
    FakeDialogSurface dialog;
};

}  // namespace tavirel::test
