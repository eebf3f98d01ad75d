// The parameter dialog as a person meets it in an image editor: opened by our
// host's menu flow, worked with the keyboard and the pointer, read back from
// the screen, and judged by what reaches the image, the host's handle and the
// settings file.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <cstdio>
#include <string>
#include <vector>

#include "DialogFixture.h"
#include "filterhost/lib/PngFile.h"
#include "tests/support/WindowsVersion.h"
#include "plugin/dialog/NumberText.h"

namespace tavirel::test {
namespace {

using filterhost::DialogDriver;
using filterhost::Document;

constexpr uint32_t kBlack = 0x000000;

std::string Folder() {
    static const std::string folder = TestFolder("dialog-test");
    return folder;
}

// The edit text for a value in tenths, as the dialog writes it.
std::string Tenths(int32_t value) {
    unsigned char text[256];
    FormatDecimal(float(value) / 10.0f, 1, text);
    return std::string(reinterpret_cast<char*>(text + 1), text[0]);
}

FilterParameters Settings(int32_t sourceHue, int32_t sourceSaturation, int32_t sourceBrightness, int32_t range) {
    FilterParameters p = DefaultSettings();
    p.sourceHue = sourceHue;
    p.sourceSaturation = sourceSaturation;
    p.sourceBrightness = sourceBrightness;
    p.range = range;
    return p;
}

// A handle record that opens the dialog with these settings.
std::vector<uint8_t> HandleWith(const FilterParameters& p) { return RecordBytes(p); }

void ExpectSameSettings(const FilterParameters& a, const FilterParameters& b) {
    EXPECT_EQ(a.sourceHue, b.sourceHue);
    EXPECT_EQ(a.sourceSaturation, b.sourceSaturation);
    EXPECT_EQ(a.sourceBrightness, b.sourceBrightness);
    EXPECT_EQ(a.destinationHue, b.destinationHue);
    EXPECT_EQ(a.destinationSaturation, b.destinationSaturation);
    EXPECT_EQ(a.destinationBrightness, b.destinationBrightness);
    EXPECT_EQ(a.range, b.range);
}

std::vector<std::string> VisibleEdits(const DialogDriver& dialog) {
    return {dialog.Text(201), dialog.Text(202), dialog.Text(203), dialog.Text(205)};
}

// The id-less static whose text is `text`, if it is on screen.
bool ShowsLabel(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char shown[64] = "";
        GetWindowTextA(child, shown, sizeof shown);
        if (text == shown && IsWindowVisible(child)) return true;
    }
    return false;
}

TEST_F(DialogTest, OpensReadyToTypeAndCancelChangesNothing) {
    DeleteFileA(SettingsFilePath().c_str());
    const Document original = RandomDocument(700, 500, 3, 8, 21);
    HostThread host(plugin_, original);
    DialogDriver dialog = OpenedDialog();
    char caption[64] = "";
    GetWindowTextA(dialog.dialog(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Tavirel I");

    EXPECT_EQ(dialog.FocusedId(), 201);
    int start = -1, end = -1;
    dialog.Selection(201, &start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 3);
    EXPECT_TRUE(dialog.Checked(6));
    EXPECT_FALSE(dialog.Visible(104));
    EXPECT_FALSE(dialog.Visible(204));
    EXPECT_EQ(dialog.Text(91), "H");
    EXPECT_EQ(dialog.Text(92), "S");
    EXPECT_EQ(dialog.Text(93), "B");
    EXPECT_TRUE(ShowsLabel(dialog.dialog(), "Range"));
    EXPECT_EQ(VisibleEdits(dialog), (std::vector<std::string>{"0.0", "100.0", "100.0", "50.0"}));
    EXPECT_EQ(dialog.TrackbarPosition(101), 0);
    EXPECT_EQ(dialog.TrackbarPosition(105), 500);
    EXPECT_EQ(dialog.Text(2), "Cancel");

    // The filtered image at the fit zoom, and the fit as a percentage.
    const FitGeometry fit = FitOf(dialog.Control(5), original);
    ASSERT_GE(fit.fit, 2);
    EXPECT_EQ(dialog.Text(9), std::to_string((100 + fit.fit / 2) / fit.fit) + "%");
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, DefaultSettings()));

    // Zoom buttons of 14 x 14 pixels: a minus on row 6 from column 3 to 9, and
    // on the plus button a bar down column 6 from row 3 to 9.
    for (int id : {8, 10}) {
        const filterhost::ScreenPixels face = dialog.Pixels(id);
        ASSERT_EQ(face.width, 14) << id;
        ASSERT_EQ(face.height, 14) << id;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                const bool minus = y == 6 && x >= 3 && x <= 9, plus = id == 10 && x == 6 && y >= 3 && y <= 9;
                // Around the marks the face is the button's own.
                const bool around = x >= 2 && x <= 10 && y >= 2 && y <= 10;
                if (minus || plus) {
                    EXPECT_EQ(face.At(x, y), kBlack) << id << " at " << x << "," << y;
                } else if (around) {
                    EXPECT_NE(face.At(x, y), kBlack) << id << " at " << x << "," << y;
                }
            }
        }
    }

    // Something typed, then Esc: the image and the settings file stay as they were.
    dialog.Type("123");
    EXPECT_SOON_EQ(dialog.TrackbarPosition(101), 1230);
    dialog.Key(VK_ESCAPE);
    ASSERT_TRUE(dialog.WaitClosed());
    const std::vector<int16> results = host.Finish();
    EXPECT_EQ(results, std::vector<int16>{1});
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(original));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), "");  // nothing written into it
    EXPECT_EQ(RecordParameters(host.handle()).sourceHue, 0);
    EXPECT_EQ(host.leaks(), "");
}

TEST_F(DialogTest, TypedValuesAreClampedAtOnceAndCorrectedAtOk) {
    DeleteFileA(SettingsFilePath().c_str());
    const Document original = RandomDocument(300, 200, 3, 8, 22);
    HostThread host(plugin_, original, {Flow::Menu, Flow::Repeat});
    DialogDriver dialog = OpenedDialog();

    dialog.Type("400");  // replaces the selected "0.0"
    EXPECT_SOON_EQ(dialog.TrackbarPosition(101), 3600);
    EXPECT_SOON_EQ(dialog.Text(201), "400");
    dialog.Key(VK_RETURN);
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_SOON_EQ(dialog.Text(201), "360.0");
    EXPECT_SOON_EQ(dialog.FocusedId(), 201);
    int start = -1, end = -1;
    dialog.Selection(201, &start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 5);
    EXPECT_SOON_EQ(observed.beeps, 1);

    const struct {
        const char* typed;
        int position;
    } typing[] = {{"12,5", 125}, {"1 2", 120}, {"1.35", 14}, {"1.34", 13}, {"0.05", 1}};
    for (const auto& t : typing) {
        dialog.Focus(202);
        dialog.Type(t.typed);
        EXPECT_SOON_EQ(dialog.TrackbarPosition(102), t.position) << t.typed;
        EXPECT_SOON_EQ(dialog.Text(202), t.typed);
    }
    // The edits take only what fits their 23 dialog units. With the font
    // that stands in for MS Sans Serif here, a fifth character does not fit
    // and is refused as it is typed; the value follows what is shown.
    dialog.Focus(202);
    dialog.Type("12.35");
    const std::string kept = dialog.Text(202);
    EXPECT_EQ(std::string("12.35").substr(0, kept.size()), kept);
    // Whole, as typing gives them where they fit: halves round up.
    for (const auto& t : {std::pair<const char*, int>{"12.34", 123}, {"12.35", 124}}) {
        dialog.Enter(202, t.first);
        EXPECT_SOON_EQ(dialog.TrackbarPosition(102), t.second) << t.first;
        EXPECT_SOON_EQ(dialog.Text(202), t.first);
    }
    dialog.Focus(202);
    dialog.Type("1 2");
    dialog.Focus(203);
    dialog.Key(VK_DELETE);
    EXPECT_SOON_EQ(dialog.Text(203), "");
    EXPECT_SOON_EQ(dialog.TrackbarPosition(103), 0);

    // The value already held, typed again: 50.0 becomes 50 and nothing moves
    // or is redrawn.
    dialog.Focus(205);
    dialog.Key(VK_END);
    observed.Clear();
    dialog.Key(VK_BACK, 2);
    EXPECT_EQ(dialog.Text(205), "50");
    EXPECT_EQ(dialog.TrackbarPosition(105), 500);
    EXPECT_EQ(observed.Invalidated(5), 0);
    EXPECT_EQ(observed.Invalidated(300) + observed.Invalidated(301), 0);
    EXPECT_EQ(observed.tilesDrawn, 0);

    dialog.Key(VK_RETURN);  // the empty brightness: filled in, the dialog stays
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_SOON_EQ(dialog.Text(203), "0.0");
    EXPECT_SOON_EQ(dialog.FocusedId(), 203);
    EXPECT_SOON_EQ(observed.beeps, 1);
    dialog.Key(VK_RETURN);
    ASSERT_TRUE(dialog.WaitClosed());

    // The second flow repeats the filter with the handle kept, without a window.
    const std::vector<int16> results = host.Finish();
    EXPECT_EQ(results, (std::vector<int16>{0, 0}));
    const FilterParameters shown = Settings(3600, 120, 0, 500);
    const Document once = EngineResult(original, shown);
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(EngineResult(once, shown)));
    int dialogs = 0;
    for (const auto& e : ui_.Events()) dialogs += e.kind == "parameters";
    EXPECT_EQ(dialogs, 1);
    const FilterParameters stored = RecordParameters(host.handle());
    ExpectSameSettings(stored, shown);
    EXPECT_EQ(stored.showDialog, 0);
    FilterParameters file{};
    ASSERT_TRUE(ReadSettingsFile(&file));
    ExpectSameSettings(file, shown);
    EXPECT_EQ(file.showDialog, 0);

    // The next menu run, in a new host process, opens with them; Cancel there
    // writes nothing.
    filterhost::PngImage png;
    png.width = 40, png.height = 30, png.channels = 3, png.bits = 8;
    png.samples.assign(size_t(40) * 30 * 3, 90);
    std::string error;
    const std::string in = Folder() + "next-in.png", out = Folder() + "next-out.png";
    ASSERT_TRUE(filterhost::WritePng(in, png, &error)) << error;
    DeleteFileA(out.c_str());
    std::vector<std::string> seen;
    std::thread person([&] {
        HWND other = filterhost::WaitForParameterDialog(30000, true);
        if (other == nullptr) return;
        DialogDriver next(other);
        DialogDriver::WaitFor([&] { return !next.Text(9).empty(); }, 5000);
        seen = VisibleEdits(next);
        next.Click(2);
    });
    std::string output;
    const int status =
        filterhost::RunCapturingOutput(HostCommandLine("run", "\"" + in + "\" \"" + out + "\" --quiet"), &output);
    person.join();
    EXPECT_EQ(status, 1) << output;
    EXPECT_EQ(seen, (std::vector<std::string>{"360.0", "12.0", "0.0", "50.0"}));
    EXPECT_EQ(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A step recorded from the menu flow, as an editor records it into an
// action: played back with its dialog, the dialog opens on the recorded
// values and OK gives the same image and the same step; played silently
// over a batch (on a host that refuses every window), each file comes out
// as the recorded run made it.
TEST_F(DialogTest, RecordedStepPlaysWithItsDialogAndSilentlyOverABatch) {
    DeleteFileA(SettingsFilePath().c_str());
    filterhost::PngImage png;
    png.width = 64, png.height = 48, png.channels = 3, png.bits = 8;
    for (int i = 0; i < 64 * 48; ++i)
        for (int c = 0; c < 3; ++c) png.samples.push_back(uint16_t((i * (c + 3) * 7) % 256));
    std::string error;
    const std::string in = Folder() + "step-in.png", other = Folder() + "step-other.png";
    ASSERT_TRUE(filterhost::WritePng(in, png, &error)) << error;
    for (auto& v : png.samples) v = uint16_t(255 - v);
    ASSERT_TRUE(filterhost::WritePng(other, png, &error)) << error;
    const std::string host = HostCommandLine("run", "");
    auto run = [&](const std::string& arguments, const std::function<void(DialogDriver&)>& person) {
        std::thread answering;
        if (person)
            answering = std::thread([&] {
                HWND opened = filterhost::WaitForParameterDialog(30000, true);
                if (opened == nullptr) return;
                DialogDriver dialog(opened);
                DialogDriver::WaitFor([&] { return !dialog.Text(9).empty(); }, 5000);
                person(dialog);
            });
        std::string output;
        const int status = filterhost::RunCapturingOutput(host + arguments + " --quiet", &output);
        if (answering.joinable()) answering.join();
        EXPECT_EQ(status, 0) << arguments << "\n" << output;
    };
    const std::string recorded = Folder() + "step.txt", again = Folder() + "step-again.txt";
    const std::string out = Folder() + "step-out.png", replayed = Folder() + "step-replayed.png";
    run("\"" + in + "\" \"" + out + "\" --record \"" + recorded + "\"", [](DialogDriver& dialog) {
        dialog.Enter(201, "123.4");
        dialog.Enter(202, "45.6");
        dialog.Enter(205, "77.7");
        DialogDriver::WaitFor([&] { return dialog.TrackbarPosition(105) == 777; });
        dialog.Click(1);
    });
    const std::string step = ReadFileBytes(recorded);
    EXPECT_NE(step.find("'TvSH' UntF '#Ang' 123.4\n"), std::string::npos) << step;
    EXPECT_NE(step.find("'TvSS' UntF '#Prc' 45.6\n"), std::string::npos) << step;
    EXPECT_NE(step.find("'TvRn' UntF '#Prc' 77.7\n"), std::string::npos) << step;

    std::vector<std::string> shown;
    run("\"" + in + "\" \"" + replayed + "\" --play \"" + recorded + "\" --record \"" + again + "\"",
        [&](DialogDriver& dialog) {
            shown = VisibleEdits(dialog);
            dialog.Click(1);
        });
    EXPECT_EQ(shown, (std::vector<std::string>{"123.4", "45.6", "100.0", "77.7"}));
    EXPECT_EQ(ReadFileBytes(again), step);
    const std::string image = ReadFileBytes(out);
    ASSERT_FALSE(image.empty());
    EXPECT_TRUE(ReadFileBytes(replayed) == image) << "the replayed run's image differs";

    // Without its last backslash, which would escape the closing quote.
    const std::string batch = TestFolder("dialog-test\\step-batch"), batchFolder = batch.substr(0, batch.size() - 1);
    for (const char* name : {"step-in.png", "step-other.png"}) DeleteFileA((batch + name).c_str());
    run("--play \"" + recorded + "\" --silent --no-windows --out-dir \"" + batchFolder + "\" \"" + in + "\" \"" +
            other + "\"",
        nullptr);
    EXPECT_TRUE(ReadFileBytes(batch + "step-in.png") == image) << "the batch's image differs";
    EXPECT_NE(ReadFileBytes(batch + "step-other.png"), "");
}

TEST_F(DialogTest, OkOnAnUntouchedDialogKeepsEveryValue) {
    FilterParameters held = Settings(1237, 7, 999, 7);
    held.destinationHue = 3600;
    held.destinationSaturation = 1;
    held.destinationBrightness = 1000;
    const Document original = RandomDocument(120, 90, 3, 16, 23);
    HostThread host(plugin_, original, {Flow::Menu}, HandleWith(held));
    DialogDriver dialog = OpenedDialog();
    EXPECT_EQ(VisibleEdits(dialog), (std::vector<std::string>{"123.7", "0.7", "99.9", "0.7"}));
    dialog.Click(1);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{0});
    ExpectSameSettings(RecordParameters(host.handle()), held);
    FilterParameters file{};
    ASSERT_TRUE(ReadSettingsFile(&file));
    ExpectSameSettings(file, held);
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(EngineResult(original, held)));
}

TEST_F(DialogTest, TrackbarsTakeDragsAndKeysAtOnce) {
    const Document original = RandomDocument(500, 400, 3, 8, 24);
    HostThread host(plugin_, original, {Flow::Menu}, HandleWith(Settings(300, 800, 900, 400)));
    DialogDriver dialog = OpenedDialog();
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, Settings(300, 800, 900, 400)));

    // A drag of the hue thumb: the value, its text, both swatches at once and
    // the preview, drawn with the new settings before any paint.
    observed.Clear();
    dialog.DragTrackbarThumb(101, 40);
    DialogDriver::WaitFor([&] { return dialog.Text(201) == Tenths(dialog.TrackbarPosition(101)); });
    const int hue = dialog.TrackbarPosition(101);
    EXPECT_GT(hue, 300);
    EXPECT_SOON_EQ(dialog.Text(201), Tenths(hue));
    EXPECT_SOON_GT(observed.Repainted(300), 0);
    EXPECT_SOON_GT(observed.Repainted(301), 0);
    EXPECT_SOON_GT(observed.tilesDrawn, 0);
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, Settings(hue, 800, 900, 400)));

    // An arrow key on the range: one step, its text and the preview, but no swatch.
    dialog.Focus(105);
    observed.Clear();
    dialog.Key(VK_RIGHT);
    EXPECT_SOON_EQ(dialog.TrackbarPosition(105), 401);
    EXPECT_SOON_EQ(dialog.Text(205), "40.1");
    EXPECT_SOON_GT(observed.tilesDrawn, 0);
    EXPECT_EQ(observed.Repainted(300) + observed.Repainted(301), 0);
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, Settings(hue, 800, 900, 401)));

    // Down the saturation with the key: the swatches follow.
    dialog.Focus(102);
    observed.Clear();
    dialog.Key(VK_LEFT, 3);
    EXPECT_SOON_EQ(dialog.TrackbarPosition(102), 797);
    EXPECT_SOON_EQ(dialog.Text(202), "79.7");
    EXPECT_SOON_GT(observed.Repainted(300), 0);

    dialog.Click(1);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{0});
    const FilterParameters shown = Settings(hue, 797, 900, 401);
    ExpectSameSettings(RecordParameters(host.handle()), shown);
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(EngineResult(original, shown)));
}

TEST_F(DialogTest, AltTurnsCancelIntoResetAndShiftIntoDefault) {
    const FilterParameters opened = Settings(1237, 600, 700, 7);
    const Document original = RandomDocument(200, 150, 3, 8, 25);
    const std::string settingsBefore = ReadFileBytes(SettingsFilePath());
    HostThread host(plugin_, original, {Flow::Menu}, HandleWith(opened));
    DialogDriver dialog = OpenedDialog();

    dialog.Type("45");
    dialog.Focus(205);
    dialog.Type("88");
    EXPECT_SOON_EQ(dialog.TrackbarPosition(205 - 100), 880);

    // The label follows the keys as they go down and up, the pointer resting
    // where it is (the keys go to edit 205, which has the focus).
    dialog.MoveOver(2);
    dialog.Settle(200);
    ASSERT_TRUE(DialogDriver::PressOnDisplay("alt"));
    EXPECT_SOON_EQ(dialog.Text(2), "Reset");
    ASSERT_TRUE(DialogDriver::PressOnDisplay("shift"));
    EXPECT_SOON_EQ(dialog.Text(2), "Default");
    ASSERT_TRUE(DialogDriver::ReleaseOnDisplay("shift"));
    EXPECT_SOON_EQ(dialog.Text(2), "Reset");
    dialog.Click(2);
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_SOON_EQ(VisibleEdits(dialog), (std::vector<std::string>{"123.7", "60.0", "70.0", "0.7"}));
    EXPECT_SOON_EQ(dialog.TrackbarPosition(101), 1237);
    EXPECT_SOON_EQ(dialog.TrackbarPosition(105), 7);

    ASSERT_TRUE(DialogDriver::PressOnDisplay("shift"));
    dialog.MoveOver(1);
    dialog.MoveOver(2);
    EXPECT_SOON_EQ(dialog.Text(2), "Default");
    dialog.Click(2);
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_SOON_EQ(VisibleEdits(dialog), (std::vector<std::string>{"0.0", "100.0", "100.0", "50.0"}));
    EXPECT_SOON_EQ(dialog.TrackbarPosition(102), 1000);
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, DefaultSettings()));

    ASSERT_TRUE(DialogDriver::ReleaseOnDisplay("shift alt"));
    EXPECT_SOON_EQ(dialog.Text(2), "Cancel");
    dialog.MoveOver(1);
    dialog.Click(2);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{1});
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(original));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), settingsBefore);
    ExpectSameSettings(RecordParameters(host.handle()), opened);
}

TEST_F(DialogTest, LoadAndSaveFromTheDialog) {
    FilterParameters file = Settings(900, 250, 333, 120);
    file.destinationHue = 2100;
    unsigned char bytes[kFileRecordSize];
    EncodeFileRecord(StandardHeader(), file, bytes);
    const std::string loaded = Folder() + "load-me.prm", saved = Folder() + "saved.prm";
    {
        std::FILE* f = std::fopen(loaded.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    DeleteFileA(saved.c_str());
    const Document original = RandomDocument(200, 150, 3, 8, 26);
    HostThread host(plugin_, original, {Flow::Menu}, HandleWith(DefaultSettings()));
    DialogDriver dialog = OpenedDialog();

    // A cancelled Load counts as a load: the pairs are rewritten from the values.
    dialog.Type("400");
    ui_.AnswerFileDialogs({""});
    dialog.Click(3);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return dialog.Text(201) == "360.0"; }));

    ui_.AnswerFileDialogs({loaded});
    dialog.Click(3);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return dialog.Text(201) == "90.0"; }));
    EXPECT_SOON_EQ(VisibleEdits(dialog), (std::vector<std::string>{"90.0", "25.0", "33.3", "12.0"}));
    EXPECT_SOON_EQ(dialog.TrackbarPosition(103), 333);

    dialog.Focus(205);
    dialog.Type("7");
    ui_.AnswerFileDialogs({saved});
    dialog.Click(4);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    dialog.Settle(300);
    const std::string written = ReadFileBytes(saved);
    ASSERT_EQ(written.size(), kFileRecordSize);
    FilterParameters back{};
    DecodeFileParameters(reinterpret_cast<const unsigned char*>(written.data()), &back);
    FilterParameters expected = file;
    expected.range = 70;
    ExpectSameSettings(back, expected);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.name + 1), back.name[0]), "saved.prm");

    dialog.Key(VK_ESCAPE);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{1});
}

TEST_F(DialogTest, ZoomControls) {
    const Document original = RandomDocument(900, 700, 3, 8, 27);
    HostThread host(plugin_, original, {Flow::Menu}, HandleWith(DefaultSettings()));
    DialogDriver dialog = OpenedDialog();
    const FitGeometry fit = FitOf(dialog.Control(5), original);
    const std::string fitText = std::to_string((100 + fit.fit / 2) / fit.fit) + "%";
    EXPECT_EQ(dialog.Text(9), fitText);
    // Out at the fit limit: nothing changes, nothing is redrawn.
    observed.Clear();
    dialog.Click(8);
    EXPECT_EQ(dialog.Text(9), fitText);
    EXPECT_EQ(observed.Invalidated(5), 0);
    EXPECT_EQ(observed.tilesDrawn, 0);

    // The text toggles actual size and the fit.
    dialog.Click(9);
    EXPECT_SOON_EQ(dialog.Text(9), "100%");
    EXPECT_SOON_GT(observed.tilesDrawn, 0);
    dialog.Click(9);
    EXPECT_SOON_EQ(dialog.Text(9), fitText);
    EXPECT_PREVIEW_SHOWS(dialog, EngineResult(original, DefaultSettings()));

    // In, step by step, up to 1600 %; one more step changes nothing.
    for (int i = 0; i < 40 && dialog.Text(9) != "1600%"; ++i) dialog.Click(10);
    ASSERT_EQ(dialog.Text(9), "1600%");
    observed.Clear();
    dialog.Click(10);
    EXPECT_EQ(dialog.Text(9), "1600%");
    EXPECT_EQ(observed.Invalidated(5), 0);
    dialog.Click(9);  // from a magnification straight to 100 %
    EXPECT_SOON_EQ(dialog.Text(9), "100%");
    dialog.Click(8);
    EXPECT_SOON_EQ(dialog.Text(9), "50%");

    dialog.Key(VK_ESCAPE);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(host.Finish(), std::vector<int16>{1});
}

TEST_F(DialogTest, AnOwnerTheSystemRefusesIsNoOk) {
    // A host handing over a window that no longer exists: the system shows
    // nothing; Start must not take that for an OK and filter.
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    const Document original = RandomDocument(64, 64, 3, 8, 28);
    HostThread host(plugin_, original, {Flow::Menu}, {}, gone);
    const std::vector<int16> results = host.Finish();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], 1400);  // ERROR_INVALID_WINDOW_HANDLE
    EXPECT_EQ(filterhost::DocumentChecksum(host.output()), filterhost::DocumentChecksum(original));
}

// The template as it is stored in the plug-in: style, font, caption, size,
// and every control in creation order.
TEST_F(DialogTest, TemplateIsLaidOutAsDesigned) {
    HRSRC found = FindResourceA(plugin_.module(), "PARAM_DLG", MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    const auto* words = static_cast<const uint16_t*>(LockResource(LoadResource(plugin_.module(), found)));
    ASSERT_NE(words, nullptr);
    size_t at = 0;
    auto dword = [&] {
        const uint32_t v = words[at] | (uint32_t(words[at + 1]) << 16);
        at += 2;
        return v;
    };
    // A string or, after 0xFFFF, an ordinal written as "#n".
    auto text = [&] {
        std::string s;
        if (words[at] == 0xFFFF) {
            s = "#" + std::to_string(words[at + 1]);
            at += 2;
            return s;
        }
        while (words[at] != 0) s += char(words[at++]);
        ++at;
        return s;
    };
    EXPECT_EQ(dword(), uint32_t(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT));
    EXPECT_EQ(dword(), 0u);
    const int count = words[at++];
    EXPECT_EQ(int16_t(words[at]), 0);
    EXPECT_EQ(int16_t(words[at + 1]), 0);
    EXPECT_EQ(words[at + 2], 300);
    EXPECT_EQ(words[at + 3], 319);
    at += 4;
    EXPECT_EQ(text(), "");  // no menu
    EXPECT_EQ(text(), "");  // the dialog class
    EXPECT_EQ(text(), "Tavirel I");
    EXPECT_EQ(words[at++], 8);
    EXPECT_EQ(text(), "MS Sans Serif");

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD bar = child | TBS_BOTH | TBS_NOTICKS | TBS_FIXEDLENGTH | WS_TABSTOP;
    const DWORD edit = child | WS_BORDER | WS_TABSTOP | ES_LEFT;
    const struct {
        int id;
        const char* cls;
        const char* text;
        int x, y, cx, cy;
        DWORD style;
    } table[] = {
        {0xFFFF, "static", "#16001", 0, 0, 20, 20, child | SS_BITMAP},
        {0xFFFF, "static", "#16002", 212, 309, 1, 1, child | SS_ICON | SS_REALSIZEIMAGE},
        {1, "button", "OK", 255, 10, 38, 14, child | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
        {2, "button", "Cancel", 255, 30, 38, 14, child | WS_TABSTOP},
        {3, "button", "Load...", 255, 60, 38, 14, child | WS_TABSTOP},
        {4, "button", "Save...", 255, 80, 38, 14, child | WS_TABSTOP},
        {5, "static", "", 25, 9, 220, 150, WS_CHILD | SS_CENTER},
        {6, "button", "Preview", 255, 112, 41, 11, child | BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP},
        {8, "button", "", 105, 161, 10, 10, child | WS_TABSTOP},
        {9, "static", "", 115, 161, 40, 10, child | SS_CENTER},
        {10, "button", "", 155, 161, 10, 10, child | WS_TABSTOP},
        {0xFFFF, "static", "Source", 65, 181, 65, 8, child | SS_CENTER},
        {0xFFFF, "static", "Destination", 140, 181, 65, 8, child | SS_CENTER},
        {300, "static", "", 65, 190, 65, 15, child | SS_CENTER | SS_NOTIFY | WS_TABSTOP},
        {301, "static", "", 140, 190, 65, 15, child | SS_CENTER | SS_NOTIFY | WS_TABSTOP},
        {91, "static", "", 35, 215, 10, 8, child},
        {92, "static", "", 35, 235, 10, 8, child},
        {93, "static", "", 35, 255, 10, 8, child},
        {0xFFFF, "static", "Range", 35, 275, 80, 8, child},
        {101, "msctls_trackbar32", "", 45, 213, 167, 16, bar},
        {102, "msctls_trackbar32", "", 45, 233, 167, 16, bar},
        {103, "msctls_trackbar32", "", 45, 253, 167, 16, bar},
        {104, "msctls_trackbar32", "", 45, 273, 167, 16, bar},
        {105, "msctls_trackbar32", "", 45, 283, 167, 16, bar},
        {201, "edit", "", 212, 215, 23, 11, edit},
        {202, "edit", "", 212, 235, 23, 11, edit},
        {203, "edit", "", 212, 255, 23, 11, edit},
        {204, "edit", "", 212, 275, 23, 11, edit},
        {205, "edit", "", 212, 285, 23, 11, edit},
        {401, "static", "", 244, 216, 18, 20, child},
        {402, "static", "", 244, 236, 18, 20, child},
        {403, "static", "", 244, 256, 18, 20, child},
        {501, "static", "", 267, 216, 18, 20, child},
        {502, "static", "", 267, 236, 18, 20, child},
        {503, "static", "", 267, 256, 18, 20, child},
    };
    ASSERT_EQ(count, int(std::size(table)));
    for (const auto& c : table) {
        at = (at + 1) & ~size_t(1);  // each item starts on a 32-bit boundary
        const uint32_t style = dword();
        dword();  // extended style
        const int x = int16_t(words[at]), y = int16_t(words[at + 1]), cx = words[at + 2], cy = words[at + 3];
        const int id = words[at + 4];
        at += 5;
        std::string cls = text();
        // Ordinals of the predefined classes; the resource compiler keeps names in capitals.
        if (cls == "#128") cls = "button";
        if (cls == "#129") cls = "edit";
        if (cls == "#130") cls = "static";
        std::transform(cls.begin(), cls.end(), cls.begin(), [](char ch) { return char(std::tolower(ch)); });
        const std::string title = text();
        at += 1 + words[at] / 2;  // creation data
        SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.text);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(cls, c.cls);
        EXPECT_EQ(title, c.text);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(cx, c.cx);
        EXPECT_EQ(cy, c.cy);
        EXPECT_EQ(style, uint32_t(c.style));
    }
}

}  // namespace
}  // namespace tavirel::test
