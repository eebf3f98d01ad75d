// The entry point and the Parameters checks, answered through real message
// boxes: each refusal shows one box with its text and returns its code.
#include <gtest/gtest.h>

#include "HostFixture.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/UiDriver.h"

#include <shlobj.h>

#include <atomic>
#include <thread>

namespace tavirel::test {
namespace {

using filterhost::Document;
using filterhost::FilterSession;
using filterhost::HostOptions;
using filterhost::UiDriver;

struct ParametersOutcome {
    int16 result;
    std::vector<filterhost::UiEvent> events;
};

ParametersOutcome RunParameters(filterhost::PluginModule& plugin, const HostOptions& options, int mode = 3) {
    Document document = RandomDocument(16, 16, 3, 8, 9);
    document.imageMode = int16_t(mode);
    ParametersOutcome outcome;
    UiDriver driver;
    {
        FilterSession session(plugin, document, options);
        outcome.result = session.Call(filterSelectorParameters);
    }
    outcome.events = driver.Events();
    return outcome;
}

// Parameters seeds a new handle from the settings file: start without one.
void ForgetSettings() {
    char base[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, base);
    DeleteFileA((std::string(base) + "\\zelvanor\\PS Filters\\Tavirel I").c_str());
}

class SelectorTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ForgetSettings();
    }
};

ParameterRecord RecordIn(Handle h) {
    ParameterRecord record;
    const std::vector<uint8_t> bytes = filterhost::HandleBytes(h);
    EXPECT_GE(bytes.size(), sizeof record);
    std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
    return record;
}

TEST_F(SelectorTest, UnknownSelectorsChangeNothing) {
    Document document = RandomDocument(8, 8, 3, 8, 1);
    HostOptions options;
    options.depthOverride = 0;
    FilterSession session(plugin_, document, options);
    for (int16 selector : {6, 7, -1, 300}) {
        EXPECT_EQ(session.Call(selector), -30100) << selector;
        EXPECT_EQ(session.record().depth, 0) << "depth stays as the host set it";
    }
    // Selectors 1 to 5 read depth 0 as 8.
    EXPECT_EQ(session.Call(filterSelectorParameters), 0);
    EXPECT_EQ(session.record().depth, 8);
    EXPECT_EQ(session.LeakReport(), "");

    Document wide = RandomDocument(8, 8, 3, 16, 2);
    FilterSession sixteen(plugin_, wide, HostOptions{});
    EXPECT_EQ(sixteen.Call(filterSelectorParameters), 0);
    EXPECT_EQ(sixteen.record().depth, 16);
}

TEST_F(SelectorTest, ForeignHandlesAndOutOfRangeValues) {
    std::vector<uint8_t> foreign = RecordBytes(DefaultSettings());
    foreign[0] ^= 0x20;
    for (OSType host : {kPhotoshopSignature, FourCharCode("XYZW")}) {
        Document document = RandomDocument(8, 8, 3, 8, 3);
        HostOptions options;
        options.hostSig = host;
        UiDriver driver;
        FilterSession session(plugin_, document, options);
        session.SetParameters(filterhost::NewHandleWithBytes(foreign));
        EXPECT_EQ(session.Call(filterSelectorParameters), host == kPhotoshopSignature ? 2010 : 1);
        EXPECT_EQ(filterhost::HandleBytes(session.parameters()), foreign) << "the handle was changed";
        EXPECT_TRUE(driver.Events().empty()) << "2010 is returned, never shown";
    }
    FilterParameters wild = DefaultSettings();
    wild.sourceHue = 5000;
    wild.range = -5;
    Document document = RandomDocument(8, 8, 3, 8, 4);
    FilterSession session(plugin_, document, HostOptions{});
    session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(wild)));
    ASSERT_EQ(session.Call(filterSelectorParameters), 0);
    const ParameterRecord record = RecordIn(session.parameters());
    EXPECT_EQ(record.parameters.sourceHue, 3600);
    EXPECT_EQ(record.parameters.range, 0);
}

// A host that kept no handle (or whose repeat skips Parameters): Start makes
// one as Parameters does and opens the dialog on it; Cancel ends the run with
// result 1, the requests empty, nothing left behind but the host's handle.
TEST_F(SelectorTest, StartWithoutAHandle) {
    Document document = RandomDocument(8, 8, 3, 8, 5);
    FilterSession session(plugin_, document, HostOptions{});
    ASSERT_EQ(session.Call(filterSelectorPrepare), 0);
    session.record().inRect = Rect{0, 0, 4, 4};
    session.record().outRect = Rect{0, 0, 4, 4};
    std::atomic<bool> opened{false};
    std::thread person([&opened] {
        if (HWND dialog = filterhost::WaitForParameterDialog(30000)) {
            opened = true;
            filterhost::DialogDriver(dialog).Click(2);
        }
    });
    EXPECT_EQ(session.Call(filterSelectorStart), 1);
    person.join();
    EXPECT_TRUE(opened) << "no dialog opened";
    const FilterRecord& r = session.record();
    EXPECT_TRUE(r.inRect.bottom == r.inRect.top && r.outRect.bottom == r.outRect.top &&
                r.maskRect.bottom == r.maskRect.top);
    ASSERT_NE(session.parameters(), nullptr);
    EXPECT_EQ(RecordIn(session.parameters()).signature, kRecordSignature);
    EXPECT_EQ(session.LeakReport(), "");
}

TEST_F(SelectorTest, ChecksShowTheirMessage) {
    struct Case {
        const char* what;
        HostOptions options;
        int mode;
        int16 code;
        const char* start;
    };
    HostOptions grey, onePlane, noAdvance;
    onePlane.planesOverride = 1;
    noAdvance.provideAdvanceState = false;
    const Case cases[] = {
        {"grey image", grey, 1, 1303, "The plugin encountered an invalid image mode."},
        {"one plane", onePlane, 3, 1301, "The plugin needs an image with the R, G, and B channels"},
        {"no advanceState", noAdvance, 3, 1202, "This application is incompatible with this plugin."},
    };
    for (const Case& c : cases) {
        const ParametersOutcome outcome = RunParameters(plugin_, c.options, c.mode);
        EXPECT_EQ(outcome.result, c.code) << c.what;
        ASSERT_EQ(outcome.events.size(), 1u) << c.what;
        EXPECT_EQ(outcome.events[0].kind, "message");
        EXPECT_EQ(outcome.events[0].caption, "Tavirel I");
        EXPECT_EQ(outcome.events[0].text.rfind(c.start, 0), 0u) << outcome.events[0].text;
    }
    // A mode check comes before the planes check and the host check.
    HostOptions everything;
    everything.planesOverride = 1;
    everything.provideAdvanceState = false;
    EXPECT_EQ(RunParameters(plugin_, everything, 1).result, 1303);
    EXPECT_EQ(RunParameters(plugin_, everything, 11).result, 1301);
}

TEST_F(SelectorTest, ParametersThenRepeatRunsWithoutAWindow) {
    const ParametersOutcome ok = RunParameters(plugin_, HostOptions{});
    EXPECT_EQ(ok.result, 0);
    EXPECT_TRUE(ok.events.empty());

    // The handle Parameters makes carries the record, ready for a repeat.
    Document document = RandomDocument(64, 64, 3, 8, 5);
    UiDriver driver;
    FilterSession session(plugin_, document, HostOptions{});
    ASSERT_EQ(session.Call(filterSelectorParameters), 0);
    const std::vector<uint8_t> bytes = filterhost::HandleBytes(session.parameters());
    ASSERT_GE(bytes.size(), sizeof(ParameterRecord));
    ParameterRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    EXPECT_EQ(record.signature, kRecordSignature);
    EXPECT_EQ(record.recordType, kRecordType);
    EXPECT_EQ(record.formatVersion, 1);
    EXPECT_EQ(record.revision, kRecordRevision);
    EXPECT_EQ(record.parameters.showDialog, 1);
    EXPECT_EQ(record.parameters.range, 500);
    EXPECT_EQ(record.parameters.destinationHue, 1800);
    EXPECT_EQ(record.parameters.sourceSaturation, 1000);
    EXPECT_TRUE(driver.Events().empty());
}

TEST_F(SelectorTest, ForeignRecordsAreRefusedBeforeFiltering) {
    Document document = RandomDocument(32, 32, 3, 8, 6);
    std::vector<uint8_t> bytes = RecordBytes(DefaultSettings());
    bytes[0] ^= 0x20;  // another plug-in's signature
    UiDriver driver;
    FilterSession session(plugin_, document, HostOptions{});
    session.SetParameters(filterhost::NewHandleWithBytes(bytes));
    const int16 result = session.RunRepeatFlow();
    EXPECT_NE(result, 0);
    EXPECT_EQ(filterhost::DocumentChecksum(session.document()), filterhost::DocumentChecksum(document));
}

// A repeated filter reaches Start without Parameters: Start itself refuses
// what the loop could not read, with the message Parameters would show, and
// requests no pixel.
TEST_F(SelectorTest, RepeatedRunsRefuseWhatCannotBeFiltered) {
    struct Case {
        const char* what;
        int planes, depth, mode;
        bool advance;
        int16 code;
    };
    const Case cases[] = {
        {"grey", 1, 8, 1, true, 1303},
        {"grey 16-bit", 1, 16, 10, true, 1303},
        {"grey + alpha", 2, 8, 1, true, 1303},
        {"RGB with one plane", 1, 8, 3, true, 1301},
        {"RGB48 with two planes", 2, 16, 11, true, 1301},
        {"no advanceState", 3, 8, 3, false, 1202},
    };
    for (const Case& c : cases) {
        Document document = RandomDocument(40, 30, c.planes, c.depth, 11);
        document.imageMode = int16_t(c.mode);
        HostOptions options;
        options.provideAdvanceState = c.advance;
        UiDriver driver;
        FilterSession session(plugin_, document, options);
        session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(DefaultSettings())));
        EXPECT_EQ(session.RunRepeatFlow(), c.code) << c.what;
        EXPECT_EQ(session.advanceCalls(), 0) << c.what;
        EXPECT_EQ(filterhost::DocumentChecksum(session.document()), filterhost::DocumentChecksum(document)) << c.what;
        const FilterRecord& r = session.record();
        EXPECT_TRUE(r.inRect.bottom == r.inRect.top && r.outRect.bottom == r.outRect.top) << c.what;
        EXPECT_EQ(session.LeakReport(), "") << c.what;
        const auto events = driver.Events();
        ASSERT_EQ(events.size(), 1u) << c.what;
        EXPECT_EQ(events[0].kind, "message") << c.what;
    }
}

TEST_F(SelectorTest, AboutBoxClosesOnEscapeAndClick) {
    for (auto answer : {filterhost::AboutAnswer::Escape, filterhost::AboutAnswer::Click}) {
        Document document = RandomDocument(8, 8, 3, 8, 7);
        UiDriver driver;
        driver.SetAboutAnswer(answer);
        int16 result;
        {
            FilterSession session(plugin_, document, HostOptions{});
            result = session.RunAbout();
            EXPECT_EQ(session.LeakReport(), "");
        }
        EXPECT_EQ(result, 0);
        const auto events = driver.Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, "about");
    }
}

}  // namespace
}  // namespace tavirel::test
