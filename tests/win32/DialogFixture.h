// The parameter dialog of the real Tavirel.8bf, opened by our host's menu
// flow on a thread of its own (the image editor's), while the test's thread
// works the dialog as a person would and looks at what the person sees.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HostFixture.h"
#include "tests/support/DialogDriver.h"
#include "filterhost/lib/HostHandles.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/UiDriver.h"
#include "plugin/persistence/ParameterCodec.h"

namespace tavirel::test {

// What the plug-in's calls into user32 and the host's drawing tell: beeps,
// the controls it repaints at once or invalidates, and the tiles it has
// the host draw. Counted from the test's thread while the dialog runs.
struct DialogObservations {
    std::atomic<int> beeps{0};
    std::atomic<int> tilesDrawn{0};
    std::mutex mutex;
    std::vector<int> repaintedNow;  // control ids given to RedrawWindow
    std::vector<int> invalidated;   // control ids given to InvalidateRect

    void Clear() {
        beeps = 0;
        tilesDrawn = 0;
        std::lock_guard<std::mutex> lock(mutex);
        repaintedNow.clear();
        invalidated.clear();
    }
    int Repainted(int id) {
        std::lock_guard<std::mutex> lock(mutex);
        return int(std::count(repaintedNow.begin(), repaintedNow.end(), id));
    }
    int Invalidated(int id) {
        std::lock_guard<std::mutex> lock(mutex);
        return int(std::count(invalidated.begin(), invalidated.end(), id));
    }
};

inline DialogObservations observed;

namespace hooks {
inline decltype(&RedrawWindow) redrawWindow = nullptr;
inline decltype(&InvalidateRect) invalidateRect = nullptr;
inline DisplayPixelsProc displayPixels = nullptr;

// The beep is heard, not played.
inline BOOL WINAPI MessageBeepHeard(UINT) {
    ++observed.beeps;
    return TRUE;
}
inline BOOL WINAPI RedrawWindowSeen(HWND window, const RECT* area, HRGN region, UINT flags) {
    {
        std::lock_guard<std::mutex> lock(observed.mutex);
        observed.repaintedNow.push_back(GetDlgCtrlID(window));
    }
    return redrawWindow(window, area, region, flags);
}
inline BOOL WINAPI InvalidateRectSeen(HWND window, const RECT* area, BOOL erase) {
    {
        std::lock_guard<std::mutex> lock(observed.mutex);
        observed.invalidated.push_back(window != nullptr ? GetDlgCtrlID(window) : 0);
    }
    return invalidateRect(window, area, erase);
}
inline OSErr HOST_CALLBACK DisplayPixelsSeen(const PSPixelMap* map, const VRect* area, int32 row, int32 column,
                                             void* context) {
    ++observed.tilesDrawn;
    return displayPixels(map, area, row, column, context);
}
}  // namespace hooks

// Listens to the loaded plug-in's beeps and repaints. A module still patched
// from an earlier test keeps the system's functions found then.
inline void ObservePlugin(HMODULE plugin) {
    filterhost::PatchImport(plugin, "user32.dll", "MessageBeep", reinterpret_cast<void*>(&hooks::MessageBeepHeard));
    void* redraw = filterhost::PatchImport(plugin, "user32.dll", "RedrawWindow",
                                           reinterpret_cast<void*>(&hooks::RedrawWindowSeen));
    if (redraw != nullptr && redraw != reinterpret_cast<void*>(&hooks::RedrawWindowSeen))
        hooks::redrawWindow = reinterpret_cast<decltype(&RedrawWindow)>(redraw);
    void* invalidate = filterhost::PatchImport(plugin, "user32.dll", "InvalidateRect",
                                               reinterpret_cast<void*>(&hooks::InvalidateRectSeen));
    if (invalidate != nullptr && invalidate != reinterpret_cast<void*>(&hooks::InvalidateRectSeen))
        hooks::invalidateRect = reinterpret_cast<decltype(&InvalidateRect)>(invalidate);
    observed.Clear();
}

inline std::string SettingsFilePath() {
    char base[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, base);
    return std::string(base) + "\\zelvanor\\PS Filters\\Tavirel I";
}

// The settings file's parameters; false when there is none of 312 bytes.
inline bool ReadSettingsFile(FilterParameters* parameters) {
    const std::string bytes = ReadFileBytes(SettingsFilePath());
    if (bytes.size() != kFileRecordSize) return false;
    DecodeFileParameters(reinterpret_cast<const unsigned char*>(bytes.data()), parameters);
    return true;
}

inline FilterParameters RecordParameters(const std::vector<uint8_t>& handleBytes) {
    ParameterRecord record{};
    if (handleBytes.size() >= sizeof record) std::memcpy(&record, handleBytes.data(), sizeof record);
    return record.parameters;
}

enum class Flow { Menu, Repeat };

// A host session on its own thread, as the image editor's interface thread:
// the flows run one after the other on one session, the parameter handle
// kept between them. The host's window and the dialog belong to that thread.
class HostThread {
public:
    HostThread(filterhost::PluginModule& plugin, const filterhost::Document& document,
               std::vector<Flow> flows = {Flow::Menu}, std::vector<uint8_t> handle = {}, HWND ownerOverride = nullptr,
               filterhost::HostOptions options = {})
        : thread_([this, &plugin, document, flows, handle, ownerOverride, options] {
              filterhost::FilterSession session(plugin, document, options);
              hostWindow_ = session.window();
              if (!handle.empty()) session.SetParameters(filterhost::NewHandleWithBytes(handle));
              hooks::displayPixels = session.record().displayPixels;
              session.record().displayPixels = hooks::DisplayPixelsSeen;
              PlatformData stale{};
              if (ownerOverride != nullptr) {
                  stale.hwnd = reinterpret_cast<intptr_t>(ownerOverride);
                  session.record().platformData = &stale;
              }
              for (Flow flow : flows)
                  results_.push_back(flow == Flow::Menu ? session.RunMenuFlow() : session.RunRepeatFlow());
              output_ = session.document();
              if (session.parameters() != nullptr) handle_ = filterhost::HandleBytes(session.parameters());
              leaks_ = session.LeakReport();
          }) {}
    ~HostThread() {
        if (thread_.joinable()) thread_.join();
    }
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;

    // Waits for every flow to end.
    const std::vector<int16>& Finish() {
        if (thread_.joinable()) thread_.join();
        return results_;
    }
    const filterhost::Document& output() const { return output_; }
    const std::vector<uint8_t>& handle() const { return handle_; }
    const std::string& leaks() const { return leaks_; }
    // The host's own window, once the session has made it.
    HWND hostWindow() const { return hostWindow_.load(); }

private:
    std::vector<int16> results_;
    filterhost::Document output_;
    std::vector<uint8_t> handle_;
    std::string leaks_;
    std::atomic<HWND> hostWindow_{nullptr};
    std::thread thread_;
};

// The preview's geometry at the fit zoom, worked out from the window's size
// alone: the smallest whole reduction that fits, the padded reduced size,
// centred in the view (which starts at -1, -1 with the border).
struct FitGeometry {
    int fit, left, top, width, height;
};

inline FitGeometry FitOf(HWND preview, const filterhost::Document& d) {
    RECT outer;
    GetWindowRect(preview, &outer);
    const int viewWidth = outer.right - outer.left, viewHeight = outer.bottom - outer.top;
    FitGeometry g{};
    g.fit = std::max((d.width + viewWidth - 1) / viewWidth, (d.height + viewHeight - 1) / viewHeight);
    g.fit = std::max(1, std::min({g.fit, d.width, d.height}));
    g.width = d.width / g.fit;  // the reduced image: floor, as every host delivers it
    g.height = d.height / g.fit;
    g.left = -1 + ((viewWidth - g.width) >> 1);
    g.top = -1 + ((viewHeight - g.height) >> 1);
    return g;
}

// How many client pixels of the preview differ from `shown` at the fit zoom
// (grey around the image), with the first one described.
inline int PreviewMismatches(const filterhost::DialogDriver& dialog, const filterhost::Document& shown,
                             std::string* first) {
    HWND preview = dialog.Control(5);
    const FitGeometry g = FitOf(preview, shown);
    const filterhost::ScreenPixels shot = dialog.Pixels(5);
    int wrong = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            uint32_t expected = 0x808080;  // the preview's grey surround
            const int rx = x - g.left, ry = y - g.top;
            if (rx >= 0 && rx < g.width && ry >= 0 && ry < g.height) {
                const int sx = std::min(rx * g.fit, shown.width - 1), sy = std::min(ry * g.fit, shown.height - 1);
                expected = (shown.Sample(sx, sy, 0) << 16) | (shown.Sample(sx, sy, 1) << 8) | shown.Sample(sx, sy, 2);
            }
            if (shot.At(x, y) == expected) continue;
            if (wrong++ == 0) {
                char text[100];
                std::snprintf(text, sizeof text, "at (%d, %d): %06x, not %06x", x, y, unsigned(shot.At(x, y)),
                              unsigned(expected));
                *first = text;
            }
        }
    }
    return wrong;
}

// The preview repaints at the dialog's next paint; it is given a moment.
#define EXPECT_PREVIEW_SHOWS(dialog, shown)                                                                          \
    do {                                                                                                             \
        std::string first;                                                                                           \
        const filterhost::Document expected = (shown);                                                               \
        filterhost::DialogDriver::WaitFor([&] { return PreviewMismatches((dialog), expected, &first) == 0; }, 3000); \
        EXPECT_EQ(PreviewMismatches((dialog), expected, &first), 0) << "preview " << first;                          \
    } while (0)

// What follows input shows once the dialog's thread has handled it; under
// load that takes a while, so the expectation is given up to 3 s to hold.
#define EXPECT_SOON_EQ(actual, expected)                                                                      \
    for (bool once = filterhost::DialogDriver::WaitFor([&] { return (actual) == (expected); }) || true; once; \
         once = false)                                                                                        \
    EXPECT_EQ(actual, expected)
#define EXPECT_SOON_GT(actual, bound)                                                                     \
    for (bool once = filterhost::DialogDriver::WaitFor([&] { return (actual) > (bound); }) || true; once; \
         once = false)                                                                                    \
    EXPECT_GT(actual, bound)

class DialogTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ObservePlugin(plugin_.module());
        // The pointer away from every window, so no hover or paint comes from it.
        filterhost::DialogDriver(nullptr).MoveTo(1270, 1010);
    }
    // The dialog of this process, as it opens.
    static filterhost::DialogDriver OpenedDialog() {
        HWND dialog = filterhost::WaitForParameterDialog(20000);
        EXPECT_NE(dialog, nullptr) << "no parameter dialog appeared";
        filterhost::DialogDriver driver(dialog);
        // Opened and painted: the zoom text is written at the dialog's first paint.
        filterhost::DialogDriver::WaitFor([&] { return !driver.Text(9).empty(); }, 5000);
        driver.Settle(300);
        return driver;
    }
    filterhost::UiDriver ui_;
};

}  // namespace tavirel::test
