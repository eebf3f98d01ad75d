// The settings file and parameter files, with the plug-in's own code linked
// into this program (its strings too) and the file dialogs answered by our
// UI driver as a person would.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "tests/support/UiDriver.h"
#include "plugin/entry/ModuleState.h"
#include "plugin/filter/ParameterHandle.h"
#include "plugin/persistence/ParameterCodec.h"
#include "plugin/persistence/ParameterFiles.h"
#include "plugin/persistence/SettingsFile.h"

namespace tavirel::test {
namespace {

using filterhost::UiDriver;

std::string Folder() {
    static const std::string folder = TestFolder("persistence-test");
    return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string FileRecord(const FilterParameters& p, RecordHeader header = StandardHeader()) {
    unsigned char bytes[kFileRecordSize];
    EncodeFileRecord(header, p, bytes);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

std::string SettingsPath() {
    char path[300];
    EXPECT_EQ(SettingsFilePath(path, sizeof path), 0);
    return path;
}

// Our host's params command in a process of its own: the plug-in starts
// there from the settings file and leaves its handle's bytes in `saved`.
int SaveParametersInAnotherHost(const std::string& saved, std::string* output) {
    return filterhost::RunCapturingOutput(HostCommandLine("params", "--save-parameters \"" + saved + "\""), output);
}

std::string Name(const FilterParameters& p) {
    return std::string(reinterpret_cast<const char*>(p.name + 1), p.name[0]);
}

class PersistenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPluginInstance(GetModuleHandleA(nullptr));  // the strings are linked into this program
        SetDefaultParameters(&currentParameters);
    }
};

// Loads through the open dialog, answered with `path`; gives the code and what the driver saw.
int Load(const std::string& path, std::vector<filterhost::UiEvent>* events) {
    UiDriver driver;
    driver.AnswerFileDialogs({path});
    const int code = LoadParameterFile(nullptr);
    *events = driver.Events();
    return code;
}

TEST_F(PersistenceTest, SaveUnderAShortNameAndLoadItBack) {
    const std::string target = Folder() + "abcd.prm";
    DeleteFileA(target.c_str());
    currentParameters.sourceHue = 1234;
    currentParameters.range = 77;
    currentParameters.showDialog = 0;
    {
        UiDriver driver;
        driver.AnswerFileDialogs({Folder() + "abcd"});  // typed without its extension
        ASSERT_EQ(SaveParameterFile(nullptr), 0);
        const auto events = driver.Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, "file");
    }
    const std::string bytes = ReadFileBytes(target);
    ASSERT_EQ(bytes.size(), kFileRecordSize);
    EXPECT_EQ(bytes.substr(0, 8), "Tvr1Prms");
    EXPECT_EQ(uint8_t(bytes[fileoffset::name]), 8);
    EXPECT_EQ(bytes.substr(fileoffset::name + 1, 8), "abcd.prm");
    EXPECT_EQ(GetFileAttributesA((target + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES) << "temporary file left";

    SetDefaultParameters(&currentParameters);
    std::vector<filterhost::UiEvent> events;
    ASSERT_EQ(Load(target, &events), 0);
    EXPECT_EQ(Name(currentParameters), "abcd.prm");
    EXPECT_EQ(currentParameters.sourceHue, 1234);
    EXPECT_EQ(currentParameters.range, 77);
    EXPECT_EQ(currentParameters.showDialog, 0);
}

TEST_F(PersistenceTest, LoadClampsAndTakesTheSettingsFile) {
    FilterParameters wild = DefaultSettings();
    wild.destinationHue = 5000;
    wild.range = -20;
    const std::string path = Folder() + "wild.prm";
    WriteBytes(path, FileRecord(wild));
    std::vector<filterhost::UiEvent> events;
    ASSERT_EQ(Load(path, &events), 0);
    EXPECT_EQ(currentParameters.destinationHue, 3600);
    EXPECT_EQ(currentParameters.range, 0);

    // A copy of the settings file is a parameter file too.
    ParameterRecord record;
    WriteRecordHeader(&record);
    record.parameters = DefaultSettings();
    record.parameters.sourceSaturation = 321;
    ASSERT_EQ(WriteSettingsFile(record), 0);
    const std::string copy = Folder() + "settings-copy.prm";
    ASSERT_TRUE(CopyFileA(SettingsPath().c_str(), copy.c_str(), FALSE));
    SetDefaultParameters(&currentParameters);
    ASSERT_EQ(Load(copy, &events), 0);
    EXPECT_EQ(currentParameters.sourceSaturation, 321);
}

TEST_F(PersistenceTest, ForeignFilesAreRefusedWithTheirMessage) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    RecordHeader otherType = StandardHeader(), otherVersion = StandardHeader(), otherPlugin = StandardHeader();
    otherType.recordType = FourCharCode("Pics");
    otherVersion.formatVersion = 2;
    otherPlugin.signature = FourCharCode("8BIM");
    FilterParameters p = DefaultSettings();
    p.sourceHue = 999;
    const Case cases[] = {
        {"another plug-in", FileRecord(p, otherPlugin), "These parameters were created by a different plug-in."},
        {"another type", FileRecord(p, otherType), "The filetype of these parameters is unknown."},
        {"another version", FileRecord(p, otherVersion), "This version of parameters can not be read."},
        {"100 bytes", FileRecord(p).substr(0, 100), "The filetype of these parameters is unknown."},
    };
    for (const Case& c : cases) {
        const std::string path = Folder() + "refused.prm";
        WriteBytes(path, c.bytes);
        SetDefaultParameters(&currentParameters);
        std::vector<filterhost::UiEvent> events;
        EXPECT_EQ(Load(path, &events), 0) << c.what;
        EXPECT_EQ(currentParameters.sourceHue, 0) << c.what << ": settings changed";
        ASSERT_EQ(events.size(), 2u) << c.what;  // the open dialog, then one message
        EXPECT_EQ(events[1].kind, "message");
        EXPECT_EQ(events[1].caption, "Tavirel I");
        EXPECT_NE(events[1].text.find(c.message), std::string::npos) << c.what << ": " << events[1].text;
    }
}

TEST_F(PersistenceTest, CancellingChangesNothing) {
    currentParameters.range = 321;
    UiDriver driver;
    driver.AnswerFileDialogs({"", ""});
    EXPECT_EQ(LoadParameterFile(nullptr), 0);
    EXPECT_EQ(SaveParameterFile(nullptr), 0);
    EXPECT_EQ(currentParameters.range, 321);
    const auto events = driver.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, "(cancelled)");
}

TEST_F(PersistenceTest, SettingsFileIgnoresWhatIsNotOurs) {
    const std::string path = SettingsPath();
    DeleteFileA(path.c_str());
    ParameterRecord record;
    WriteRecordHeader(&record);
    record.parameters = DefaultSettings();
    record.parameters.range = 444;
    EXPECT_EQ(ReadSettingsFile(&record), 0);
    EXPECT_EQ(record.parameters.range, 444) << "an empty file took something";
    EXPECT_EQ(ReadFileBytes(path).size(), 0u) << "the first read creates an empty file";

    FilterParameters stored = DefaultSettings();
    stored.range = 111;
    RecordHeader wrongSignature = StandardHeader(), wrongType = StandardHeader(), version2 = StandardHeader();
    wrongSignature.signature = FourCharCode("Xvr1");
    wrongType.recordType = FourCharCode("Prmz");
    version2.formatVersion = 2;
    UiDriver driver;
    for (const std::string& bytes : {FileRecord(stored, wrongSignature), FileRecord(stored, wrongType),
                                     FileRecord(stored, version2), FileRecord(stored).substr(0, 100)}) {
        WriteBytes(path, bytes);
        EXPECT_EQ(ReadSettingsFile(&record), 0);
        EXPECT_EQ(record.parameters.range, 444);
    }
    WriteBytes(path, FileRecord(stored));
    EXPECT_EQ(ReadSettingsFile(&record), 0);
    EXPECT_EQ(record.parameters.range, 111);
    EXPECT_TRUE(driver.Events().empty()) << "the settings file never shows a message";
}

TEST_F(PersistenceTest, AFileHeldOpenGivesTheSharingError) {
    ParameterRecord record;
    WriteRecordHeader(&record);
    record.parameters = DefaultSettings();
    record.parameters.range = 222;
    ASSERT_EQ(WriteSettingsFile(record), 0);
    HANDLE held = CreateFileA(SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    record.parameters.range = 500;
    EXPECT_EQ(ReadSettingsFile(&record), 32);
    // Parameters in the plug-in drops the code and goes on with the defaults.
    std::string output;
    const std::string saved = Folder() + "held.bin";
    EXPECT_EQ(SaveParametersInAnotherHost(saved, &output), 0) << output;
    CloseHandle(held);
    const std::string handle = ReadFileBytes(saved);
    ASSERT_GE(handle.size(), sizeof(ParameterRecord));
    ParameterRecord seeded;
    std::memcpy(&seeded, handle.data(), sizeof seeded);
    EXPECT_EQ(seeded.parameters.range, 500);
}

TEST_F(PersistenceTest, StoreWritesTheFileAndTheNextHostProcessReadsIt) {
    // A record as the host keeps it, stored by the plug-in's own code.
    filterhost::Document document = RandomDocument(8, 8, 3, 8, 3);
    filterhost::PluginModule plugin;
    std::string error;
    ASSERT_TRUE(plugin.Load(PluginPath(), &error)) << error;
    filterhost::FilterSession session(plugin, document, filterhost::HostOptions{});
    FilterParameters p = DefaultSettings();
    p.destinationHue = 2700;
    p.showDialog = 0;
    session.SetParameters(filterhost::NewHandleWithBytes(RecordBytes(p)));
    currentParameters = p;
    ASSERT_EQ(StoreParametersToHandle(&session.record()), 0);
    const std::string file = ReadFileBytes(SettingsPath());
    ASSERT_EQ(file.size(), kFileRecordSize);
    EXPECT_EQ(file.substr(fileoffset::showDialog, 4), std::string(4, '\0'));

    std::string output;
    const std::string saved = Folder() + "next.bin";
    ASSERT_EQ(SaveParametersInAnotherHost(saved, &output), 0) << output;
    ParameterRecord seeded;
    const std::string handle = ReadFileBytes(saved);
    ASSERT_GE(handle.size(), sizeof seeded);
    std::memcpy(&seeded, handle.data(), sizeof seeded);
    EXPECT_EQ(seeded.parameters.showDialog, 1);
    EXPECT_EQ(seeded.parameters.destinationHue, 2700);
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = "";
    if (csidl < 0)
        GetWindowsDirectoryA(path, MAX_PATH);
    else
        SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

void RemoveSettingsUnder(const std::string& base) {
    DeleteFileA((base + "\\zelvanor\\PS Filters\\Tavirel I").c_str());
    RemoveDirectoryA((base + "\\zelvanor\\PS Filters").c_str());
    RemoveDirectoryA((base + "\\zelvanor").c_str());
}

TEST_F(PersistenceTest, TheFolderFollowsTheWindowsVersion) {
    const std::string appData = KnownFolder(CSIDL_APPDATA), windows = KnownFolder(-1);
    for (const char* version : {"win98", "win2k", "win10"}) {
        const std::string expected = std::string(version) == "win98" ? windows : appData;
        RemoveSettingsUnder(expected);
        std::string output;
        EXPECT_EQ(filterhost::RunHostWithWindowsVersion(version, "params \"" + PluginPath() + "\"", &output), 0)
            << output;
        EXPECT_NE(GetFileAttributesA((expected + "\\zelvanor\\PS Filters\\Tavirel I").c_str()), INVALID_FILE_ATTRIBUTES)
            << version << ": no settings file under " << expected;
    }
}

}  // namespace
}  // namespace tavirel::test
