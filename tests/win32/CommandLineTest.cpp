// Our host's command line as a user runs it: PNG files in and out, parameter
// files, refusals, exit codes, and no partial output.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "HostFixture.h"
#include "files/PngTestFiles.h"
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

    // The menu flow opens the dialog; without one the run is a cancel.
    EXPECT_EQ(Host(RunArguments(in, out), &output), 1);
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

// FNV-1a of a file's bytes.
uint64_t FileChecksum(const std::string& path) {
    uint64_t h = 1469598103934665603ull;
    for (char c : ReadFileBytes(path)) h = (h ^ uint8_t(c)) * 1099511628211ull;
    return h;
}

TEST(CommandLineTest, OutputFilesAreTheSameBytesAsBefore) {
    // The checksums of these runs' output files as the host wrote them when
    // it decoded through stb_image and encoded in one piece: reading and
    // writing row by row changed no byte.
    FilterParameters p = DefaultSettings();
    p.range = 1000;
    const std::string prm = WriteParameterFile("same.prm", p);
    const struct {
        int channels, bits;
        uint64_t checksum;
    } runs[] = {{3, 8, 0x3ddc22c30139de04ull},
                {4, 8, 0xdca79b2753bd4d45ull},
                {3, 16, 0xdc58be7186085ec3ull},
                {4, 16, 0xda5b63faa35f7f04ull}};
    for (const auto& run : runs) {
        const std::string in = WriteInput("same-in.png", RandomPng(run.channels, run.bits, 300 + uint64_t(run.bits + run.channels)));
        const std::string out = Folder() + "same-out.png";
        std::string output;
        ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 0) << output;
        EXPECT_EQ(FileChecksum(out), run.checksum) << run.channels << " channels at " << run.bits << " bits: 0x" << std::hex << FileChecksum(out);
    }
}

TEST(CommandLineTest, InterlacedAndPaletteInputsRunLikeTheirPlainTwins) {
    FilterParameters p = DefaultSettings();
    p.range = 1000;
    const std::string prm = WriteParameterFile("twins.prm", p);
    TestRandom random(404);
    TestPng png;
    png.width = 45, png.height = 31, png.depth = 16, png.colourType = 6;
    for (int i = 0; i < 45 * 31 * 4; ++i) png.values.push_back(uint16_t(random.UpTo(65535)));
    TestPng palette;
    palette.width = 45, palette.height = 31, palette.depth = 4, palette.colourType = 3;
    for (int i = 0; i < 16 * 3; ++i) palette.palette.push_back(uint8_t(random.UpTo(255)));
    for (int i = 0; i < 45 * 31; ++i) palette.values.push_back(uint16_t(random.UpTo(15)));
    for (TestPng* input : {&png, &palette}) {
        std::string outputs[2], output;
        for (bool interlaced : {false, true}) {
            input->interlaced = interlaced;
            const std::string in = Folder() + "twin.png", out = Folder() + (interlaced ? "twin-b.png" : "twin-a.png");
            ASSERT_TRUE(WriteBytes(in, BuildPng(*input)));
            ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 0) << output;
            outputs[interlaced] = ReadFileBytes(out);
        }
        EXPECT_GT(outputs[0].size(), 100u);
        EXPECT_EQ(outputs[0], outputs[1]) << "depth " << input->depth;
    }
}

TEST(CommandLineTest, DamagedAndOversizedInputsAreRefused) {
    const std::string prm = WriteParameterFile("refuse.prm", DefaultSettings());
    const std::string in = WriteInput("damaged-in.png", RandomPng(3, 8, 12));
    std::string file = ReadFileBytes(in);
    file[file.size() - 30] = char(file[file.size() - 30] ^ 0x04);  // one bit of the image data
    std::ofstream(in, std::ios::binary | std::ios::trunc).write(file.data(), std::streamsize(file.size()));
    const std::string out = Folder() + "damaged-out.png";
    std::remove(out.c_str());
    std::string output;
    EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 2) << output;
    EXPECT_NE(output.find("damaged-in.png is damaged"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    file.resize(file.size() / 2);
    std::ofstream(in, std::ios::binary | std::ios::trunc).write(file.data(), std::streamsize(file.size()));
    EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 2) << output;
    EXPECT_NE(output.find("truncated"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // 30000 x 30000 RGBA at 16 bits is 7.2 GB: refused from its header alone.
    TestPng huge;
    huge.width = huge.height = 30000, huge.depth = 16, huge.colourType = 6;
    ASSERT_TRUE(WriteBytes(in, BuildPng(huge, Compress(Bytes(100, 0)))));
    EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 2) << output;
    EXPECT_NE(output.find("out of memory"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));
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
