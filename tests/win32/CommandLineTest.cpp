// Our host's command line as a user runs it: PNG files in and out, parameter
// files, refusals, exit codes, and no partial output.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <thread>

#include "HostFixture.h"
#include "filterhost/lib/DialogDriver.h"
#include "filterhost/lib/PngFile.h"
#include "plugin/persistence/ParameterCodec.h"

namespace tavirel::test {
namespace {

using filterhost::PngImage;

std::string Folder() {
    static const std::string folder = TestFolder("cli-test");
    return folder;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

int Host(const std::string& arguments, std::string* output) {
    return filterhost::RunCapturingOutput(
        Quoted(filterhost::ProgramFolder() + "filterhost.exe") + " " + arguments, output);
}

std::string RunArguments(const std::string& in, const std::string& out, const std::string& more = "") {
    return "run " + Quoted(PluginPath()) + " " + Quoted(in) + " " + Quoted(out) + " --quiet " + more;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

PngImage RandomPng(int channels, int bits, uint64_t seed) {
    PngImage image;
    image.width = 70;
    image.height = 50;
    image.channels = channels;
    image.bits = bits;
    TestRandom random(seed);
    image.samples.resize(size_t(70) * 50 * channels);
    for (auto& s : image.samples) s = uint16_t(random.UpTo(bits == 16 ? 65535 : 255));
    return image;
}

std::string WriteInput(const std::string& name, const PngImage& image) {
    const std::string path = Folder() + name;
    std::string error;
    EXPECT_TRUE(filterhost::WritePng(path, image, &error)) << error;
    return path;
}

std::string WriteParameterFile(const std::string& name, const FilterParameters& p, bool ours = true) {
    unsigned char file[kFileRecordSize];
    EncodeFileRecord(StandardHeader(), p, file);
    if (!ours) file[0] = 'X';
    const std::string path = Folder() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file), sizeof file);
    return path;
}

PngImage ReadOutput(const std::string& path) {
    PngImage image;
    std::string error;
    EXPECT_TRUE(filterhost::ReadPng(path, &image, &error)) << error;
    return image;
}

TEST(CommandLineTest, UntouchedSamplesComeBackBitForBit) {
    // Range 0 changes no pixel: every file value must survive, at both depths,
    // with and without alpha, 16-bit values included though the host scale is coarser.
    FilterParameters nothing = DefaultSettings();
    nothing.range = 0;
    const std::string prm = WriteParameterFile("nothing.prm", nothing);
    for (int bits : {8, 16}) {
        for (int channels : {3, 4}) {
            const PngImage input = RandomPng(channels, bits, uint64_t(bits + channels));
            const std::string in = WriteInput("in.png", input), out = Folder() + "out.png";
            const std::string before = ReadFileBytes(in);
            std::string output;
            ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 0) << output;
            const PngImage result = ReadOutput(out);
            EXPECT_EQ(result.bits, bits);
            EXPECT_EQ(result.channels, channels);
            EXPECT_EQ(result.samples, input.samples) << bits << " bits, " << channels << " channels";
            EXPECT_EQ(ReadFileBytes(in), before) << "the input was written";
        }
    }
}

TEST(CommandLineTest, FiltersWithAParameterFileAndASelection) {
    FilterParameters p = DefaultSettings();
    p.range = 1000;
    const std::string prm = WriteParameterFile("wide.prm", p);
    PngImage input = RandomPng(4, 16, 77);
    const std::string in = WriteInput("wide-in.png", input), out = Folder() + "wide-out.png";
    std::string output;
    ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm) + " --rect 10,5,40,30"), &output), 0) << output;
    const PngImage result = ReadOutput(out);
    int changedInside = 0;
    for (int y = 0; y < input.height; ++y) {
        for (int x = 0; x < input.width; ++x) {
            const bool inside = x >= 10 && x < 40 && y >= 5 && y < 30;
            for (int c = 0; c < 4; ++c) {
                const size_t i = (size_t(y) * input.width + x) * 4 + c;
                if (!inside || c == 3) ASSERT_EQ(result.samples[i], input.samples[i]) << x << "," << y << " " << c;
                else changedInside += result.samples[i] != input.samples[i];
            }
        }
    }
    EXPECT_GT(changedInside, 100);
}

TEST(CommandLineTest, RefusalsAndFailuresWriteNothing) {
    const std::string good = WriteParameterFile("good.prm", DefaultSettings());
    const std::string foreign = WriteParameterFile("foreign.prm", DefaultSettings(), false);
    const std::string in = WriteInput("refuse-in.png", RandomPng(3, 8, 5));
    const std::string out = Folder() + "refused.png";
    std::remove(out.c_str());
    std::string output;

    EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(foreign)), &output), 2);
    EXPECT_NE(output.find("not a Tavirel parameter"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    const std::string grey = WriteInput("grey.png", RandomPng(1, 8, 6));
    EXPECT_EQ(Host(RunArguments(grey, out), &output), 1);
    EXPECT_NE(output.find("1303"), std::string::npos) << output;
    EXPECT_NE(output.find("invalid image mode"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // The menu flow opens the dialog: Cancel there writes nothing.
    std::thread person([] {
        if (HWND dialog = filterhost::WaitForParameterDialog(30000, true)) filterhost::DialogDriver(dialog).Click(2);
    });
    EXPECT_EQ(Host(RunArguments(in, out), &output), 1);
    person.join();
    EXPECT_NE(output.find("cancelled"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // A host without the trackbar class: the dialog cannot be created, and the
    // system's code comes back.
    EXPECT_EQ(Host(RunArguments(in, out, "--no-bar-classes"), &output), 1);
    EXPECT_NE(output.find("result 1407"), std::string::npos) << output;
    EXPECT_NE(output.find("class"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // An abort at the second poll and a failing advanceState: no file, and a
    // file that was there before stays as it was.
    std::ofstream(out, std::ios::binary) << "earlier";
    const std::string big = WriteInput("big.png", [] {
        PngImage image = RandomPng(3, 8, 8);
        image.width = 600;
        image.height = 300;
        image.samples.assign(size_t(600) * 300 * 3, 200);
        return image;
    }());
    EXPECT_EQ(Host(RunArguments(big, out, "--prm " + Quoted(good) + " --abort-at 2"), &output), 1);
    EXPECT_NE(output.find("aborted"), std::string::npos) << output;
    EXPECT_EQ(ReadFileBytes(out), "earlier");
    EXPECT_EQ(Host(RunArguments(big, out, "--prm " + Quoted(good) + " --fail-advance-at 3:-108"), &output), 1);
    EXPECT_NE(output.find("-108"), std::string::npos) << output;
    EXPECT_EQ(ReadFileBytes(out), "earlier");

    EXPECT_EQ(Host(RunArguments(Folder() + "missing.png", out), &output), 2);
    EXPECT_EQ(Host("run", &output), 2);
    EXPECT_EQ(Host("run --help", &output), 0);
    EXPECT_NE(output.find("--prm FILE"), std::string::npos);
}

TEST(CommandLineTest, RawParameterHandleRoundTrip) {
    FilterParameters p = DefaultSettings();
    p.destinationHue = 2400;
    const std::string prm = WriteParameterFile("blue.prm", p);
    const std::string in = WriteInput("raw-in.png", RandomPng(3, 8, 9));
    const std::string saved = Folder() + "handle.bin";
    std::string output;
    ASSERT_EQ(Host(RunArguments(in, Folder() + "raw-a.png", "--prm " + Quoted(prm) + " --save-parameters " + Quoted(saved)), &output), 0) << output;
    const std::string handle = ReadFileBytes(saved);
    ASSERT_GE(handle.size(), sizeof(ParameterRecord));
    ASSERT_EQ(Host(RunArguments(in, Folder() + "raw-b.png", "--parameters " + Quoted(saved)), &output), 0) << output;
    EXPECT_EQ(ReadOutput(Folder() + "raw-a.png").samples, ReadOutput(Folder() + "raw-b.png").samples);
}

TEST(CommandLineTest, OldWindowsIsRefused) {
    std::string output;
    EXPECT_EQ(filterhost::RunHostWithWindowsVersion("nt40", "params " + Quoted(PluginPath()), &output), 1);
    EXPECT_NE(output.find("result 1011"), std::string::npos) << output;
    EXPECT_NE(output.find("incompatible with this operating system"), std::string::npos) << output;
    for (const char* version : {"win98", "win2k", "win10"}) {
        EXPECT_EQ(filterhost::RunHostWithWindowsVersion(version, "params " + Quoted(PluginPath()), &output), 0);
        EXPECT_NE(output.find("result 0"), std::string::npos) << version << ": " << output;
    }
}

}  // namespace
}  // namespace tavirel::test
