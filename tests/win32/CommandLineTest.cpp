// Our host's command line as a user runs it: PNG files in and out, parameter
// files, refusals, exit codes, and no partial output.
#include <gtest/gtest.h>

#include <windows.h>

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <thread>

#include "HostFixture.h"
#include "files/PngTestFiles.h"
#include "filterhost/lib/FilePaths.h"
#include "tests/support/DialogDriver.h"
#include "filterhost/lib/PngFile.h"
#include "plugin/persistence/ParameterCodec.h"

namespace tavirel::test {
namespace {

using filterhost::PngImage;
using filterhost::SystemPath;

std::string Folder() {
    static const std::string folder = TestFolder("cli-test");
    return folder;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

int Host(const std::string& arguments, std::string* output) {
    return filterhost::RunCapturingOutput(Quoted(filterhost::ProgramFolder() + "filterhost.exe") + " " + arguments,
                                          output);
}

std::string RunArguments(const std::string& in, const std::string& out, const std::string& more = "") {
    return "run " + Quoted(PluginPath()) + " " + Quoted(in) + " " + Quoted(out) + " --quiet " + more;
}

bool Exists(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Temporaries a run left in a folder (UTF-8 folder with a trailing backslash).
std::vector<std::string> PartialFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(SystemPath(folder + "*.partial-*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(filterhost::Utf8FromWide(entry.cFileName));
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(SystemPath(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyInto(const std::string& from, const std::string& to) {
    return CopyFileW(SystemPath(from).c_str(), SystemPath(to).c_str(), FALSE) != 0;
}

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

// A PNG at `name` in the test folder, or at `name` itself when it is a path.
std::string WriteInput(const std::string& name, const PngImage& image) {
    const std::string path = name.find('\\') == std::string::npos ? Folder() + name : name;
    std::string error;
    EXPECT_TRUE(filterhost::WritePng(path, image, &error)) << error;
    return path;
}

// A parameter file at `name` in the test folder, or at `name` itself when it is a path.
std::string WriteParameterFile(const std::string& name, const FilterParameters& p, bool ours = true) {
    unsigned char file[kFileRecordSize];
    EncodeFileRecord(StandardHeader(), p, file);
    if (!ours) file[0] = 'X';
    const std::string path = name.find('\\') == std::string::npos ? Folder() + name : name;
    std::FILE* f = filterhost::OpenFile(path, "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f != nullptr) {
        std::fwrite(file, 1, sizeof file, f);
        std::fclose(f);
    }
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
                if (!inside || c == 3)
                    ASSERT_EQ(result.samples[i], input.samples[i]) << x << "," << y << " " << c;
                else
                    changedInside += result.samples[i] != input.samples[i];
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

    // The host refuses a grey document itself: the plug-in's property list
    // takes RGB only, so the plug-in is never called.
    const std::string grey = WriteInput("grey.png", RandomPng(1, 8, 6));
    EXPECT_EQ(Host(RunArguments(grey, out), &output), 2);
    EXPECT_NE(output.find("does not support grey images"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // The menu flow opens the dialog: Cancel there writes nothing.
    std::thread person([] {
        if (HWND dialog = filterhost::WaitForParameterDialog(30000, true)) filterhost::DialogDriver(dialog).Click(2);
    });
    EXPECT_EQ(Host(RunArguments(in, out), &output), 1);
    person.join();
    EXPECT_NE(output.find("cancelled"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // An interrupt while the dialog is open cancels it: nothing is written.
    const std::string abortFile = Folder() + "abort-request";
    DeleteFileW(SystemPath(abortFile).c_str());
    SetEnvironmentVariableW(L"FILTERHOST_ABORT_FILE", filterhost::WideFromUtf8(abortFile).c_str());
    std::thread interrupt([&abortFile] {
        if (filterhost::WaitForParameterDialog(30000, true)) std::ofstream(abortFile) << "";
    });
    EXPECT_EQ(Host(RunArguments(in, out), &output), 1);
    interrupt.join();
    SetEnvironmentVariableW(L"FILTERHOST_ABORT_FILE", nullptr);
    DeleteFileW(SystemPath(abortFile).c_str());
    EXPECT_FALSE(Exists(out)) << output;

    // With only an unseen display the menu flow is refused before the dialog
    // could wait there for ever.
    SetEnvironmentVariableW(L"FILTERHOST_UNSEEN_DISPLAY", L"1");
    EXPECT_EQ(Host(RunArguments(in, out), &output), 2);
    SetEnvironmentVariableW(L"FILTERHOST_UNSEEN_DISPLAY", nullptr);
    EXPECT_NE(output.find("no display is set"), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));

    // (A host without the trackbar class: HostProfileTest, where the box the
    // plug-in then shows can be answered and its owner seen.)

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

// FNV-1a of bytes in memory.
uint64_t BytesChecksum(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

TEST(CommandLineTest, OutputPixelsAreTheSameAsBefore) {
    // The checksums of these runs' output files as the host wrote them when
    // it decoded through stb_image and encoded in one piece (filter 0, zlib
    // level 6): reading and writing row by row, and filtering the rows since,
    // changed no pixel. Each output is encoded that way again to compare.
    filterhost::PngEncoding unfiltered;
    unfiltered.perRow = false, unfiltered.filter = filterhost::PngFilterType::None;
    unfiltered.deflater = filterhost::PngDeflater::Zlib, unfiltered.level = 6;
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
        const std::string in =
            WriteInput("same-in.png", RandomPng(run.channels, run.bits, 300 + uint64_t(run.bits + run.channels)));
        const std::string out = Folder() + "same-out.png";
        std::string output;
        ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 0) << output;
        const uint64_t checksum = BytesChecksum(filterhost::EncodePng(ReadOutput(out), unfiltered));
        EXPECT_EQ(checksum, run.checksum)
            << run.channels << " channels at " << run.bits << " bits: 0x" << std::hex << checksum;
    }
}

TEST(CommandLineTest, EveryCompressionWritesTheSamePixels) {
    // fast, default and small pack OUTPUT in their own ways, never changing a
    // pixel; small is never the larger. An unknown name is a usage error.
    FilterParameters p = DefaultSettings();
    p.range = 1000;
    const std::string prm = WriteParameterFile("compression.prm", p);
    for (int bits : {8, 16}) {
        // Red rising across, green down, blue along the diagonal, a little noise.
        PngImage image = RandomPng(3, bits, 500 + uint64_t(bits));
        const int unit = bits == 16 ? 257 : 1;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 70; ++x) {
                uint16_t* s = &image.samples[(size_t(y) * 70 + x) * 3];
                const int ramps[3] = {x * 250 / 70, y * 250 / 50, (x + y) * 250 / 120};
                for (int c = 0; c < 3; ++c) s[c] = uint16_t((ramps[c] + s[c] % 4) * unit);
            }
        }
        const std::string in = WriteInput("compression-in.png", image);
        std::string output;
        std::vector<std::string> files;
        for (const char* name : {"fast", "default", "small"}) {
            files.push_back(Folder() + "compression-" + name + ".png");
            ASSERT_EQ(Host(RunArguments(in, files.back(), "--prm " + Quoted(prm) + " --compression " + name), &output),
                      0)
                << output;
        }
        const PngImage standard = ReadOutput(files[1]);
        EXPECT_NE(standard.samples, image.samples);
        EXPECT_EQ(ReadOutput(files[0]).samples, standard.samples) << bits << " bits";
        EXPECT_EQ(ReadOutput(files[2]).samples, standard.samples) << bits << " bits";
        EXPECT_NE(ReadFileBytes(files[0]), ReadFileBytes(files[1])) << bits << " bits";
        EXPECT_LE(ReadFileBytes(files[2]).size(), ReadFileBytes(files[1]).size()) << bits << " bits";
    }
    std::string output;
    const std::string out = Folder() + "compression-tiny.png";
    EXPECT_EQ(Host(RunArguments(Folder() + "compression-in.png", out, "--prm " + Quoted(prm) + " --compression tiny"),
                   &output),
              2);
    EXPECT_NE(output.find("--compression takes fast, default or small, not \"tiny\""), std::string::npos) << output;
    EXPECT_FALSE(Exists(out));
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

    // 30000 x 30000 RGBA at 16 bits is 7.2 GB: a 32-bit host refuses it from
    // its header alone; a 64-bit one may hold it, and then finds its 100 bytes
    // of image data short.
    TestPng huge;
    huge.width = huge.height = 30000, huge.depth = 16, huge.colourType = 6;
    ASSERT_TRUE(WriteBytes(in, BuildPng(huge, Compress(Bytes(100, 0)))));
    EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm)), &output), 2) << output;
    if (sizeof(void*) == 4) {
        EXPECT_NE(output.find("out of memory"), std::string::npos) << output;
    } else {
        EXPECT_TRUE(output.find("out of memory") != std::string::npos || output.find("is damaged") != std::string::npos)
            << output;
    }
    EXPECT_FALSE(Exists(out));
}

TEST(CommandLineTest, RawParameterHandleRoundTrip) {
    FilterParameters p = DefaultSettings();
    p.destinationHue = 2400;
    const std::string prm = WriteParameterFile("blue.prm", p);
    const std::string in = WriteInput("raw-in.png", RandomPng(3, 8, 9));
    const std::string saved = Folder() + "handle.bin";
    std::string output;
    ASSERT_EQ(
        Host(RunArguments(in, Folder() + "raw-a.png", "--prm " + Quoted(prm) + " --save-parameters " + Quoted(saved)),
             &output),
        0)
        << output;
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

TEST(CommandLineTest, NamesOutsideTheAnsiCodePage) {
    // Chinese, Greek and a character beyond the BMP: no ANSI code page holds
    // them all, so only the wide API on every path gets them through.
    const std::string folder = Folder() + "名前-Ωλ\\";
    ASSERT_TRUE(MakeFolder(folder));
    FilterParameters p = DefaultSettings();
    p.range = 600;
    const PngImage input = RandomPng(3, 8, 21);
    const std::string plugin = folder + "滤镜.8bf";
    ASSERT_TRUE(CopyInto(PluginPath(), plugin));
    const std::string in = WriteInput(folder + "输入-🎨.png", input), prm = WriteParameterFile(folder + "设置.prm", p);
    const std::string out = folder + "输出.png", saved = folder + "句柄.bin";
    std::remove((Folder() + "ascii-out.png").c_str());
    std::string output;
    ASSERT_EQ(Host("run " + Quoted(plugin) + " " + Quoted(in) + " " + Quoted(out) + " --quiet --prm " + Quoted(prm) +
                       " --save-parameters " + Quoted(saved),
                   &output),
              0)
        << output;
    ASSERT_EQ(Host(RunArguments(WriteInput("ascii-in.png", input), Folder() + "ascii-out.png",
                                "--prm " + Quoted(WriteParameterFile("ascii.prm", p))),
                   &output),
              0)
        << output;
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(Folder() + "ascii-out.png"));
    EXPECT_NE(ReadFileBytes(Folder() + "ascii-out.png"), ReadFileBytes(Folder() + "ascii-in.png"));
    EXPECT_TRUE(Exists(saved));

    // A message names the file as it was typed, in UTF-8.
    EXPECT_EQ(Host(RunArguments(folder + "缺失.png", out), &output), 2);
    EXPECT_NE(output.find("缺失.png"), std::string::npos) << output;
}

TEST(CommandLineTest, LongPathsAndFailedMovesLeaveNoTemporary) {
    // A folder path of more than 260 characters holding the plug-in, the
    // input, the parameter file and the output.
    std::string deep = Folder();
    while (deep.size() < 300) {
        deep += std::string(60, 'd') + "\\";
        ASSERT_TRUE(MakeFolder(deep)) << deep.size();
    }
    FilterParameters p = DefaultSettings();
    p.range = 600;
    const PngImage input = RandomPng(4, 16, 23);
    ASSERT_TRUE(CopyInto(PluginPath(), deep + TAVIREL_PRODUCT_NAME));
    const std::string prm = WriteParameterFile(deep + "long.prm", p), in = WriteInput(deep + "in.png", input);
    std::string output;
    ASSERT_EQ(Host("run " + Quoted(deep + TAVIREL_PRODUCT_NAME) + " " + Quoted(in) + " " + Quoted(deep + "out.png") +
                       " --quiet --prm " + Quoted(prm),
                   &output),
              0)
        << output;
    ASSERT_EQ(Host(RunArguments(WriteInput("short-in.png", input), Folder() + "short-out.png",
                                "--prm " + Quoted(WriteParameterFile("short.prm", p))),
                   &output),
              0)
        << output;
    EXPECT_EQ(ReadFileBytes(deep + "out.png"), ReadFileBytes(Folder() + "short-out.png"));
    EXPECT_EQ(PartialFilesIn(deep), std::vector<std::string>{});

    // A folder as OUTPUT is refused before anything is read or filtered, at a
    // short path and at a long one, and no temporary is left.
    for (const std::string& where : {Folder(), deep}) {
        const std::string taken = where + "taken";
        ASSERT_TRUE(MakeFolder(taken));
        output.clear();
        EXPECT_EQ(Host(RunArguments(in, taken, "--prm " + Quoted(prm)), &output), 2);
        EXPECT_NE(output.find(taken + " is a folder; nothing written"), std::string::npos) << output;
        EXPECT_EQ(PartialFilesIn(where), std::vector<std::string>{}) << where.size() << " characters";
    }
}

TEST(CommandLineTest, OutputMayReplaceTheInputOnlyOnSuccess) {
    FilterParameters p = DefaultSettings();
    p.range = 600;
    const std::string prm = WriteParameterFile("replace.prm", p);
    const PngImage input = RandomPng(3, 8, 25);
    const std::string in = WriteInput("replace.png", input);
    const std::string before = ReadFileBytes(in);
    std::string output;
    EXPECT_EQ(Host(RunArguments(in, in, "--prm " + Quoted(prm) + " --fail-advance-at 1"), &output), 1);
    EXPECT_EQ(ReadFileBytes(in), before);
    ASSERT_EQ(Host(RunArguments(in, in, "--prm " + Quoted(prm)), &output), 0) << output;
    ASSERT_EQ(
        Host(RunArguments(WriteInput("replace-copy.png", input), Folder() + "replace-out.png", "--prm " + Quoted(prm)),
             &output),
        0)
        << output;
    EXPECT_EQ(ReadFileBytes(in), ReadFileBytes(Folder() + "replace-out.png"));
    EXPECT_NE(ReadFileBytes(in), before);
    EXPECT_EQ(PartialFilesIn(Folder()), std::vector<std::string>{});
    EXPECT_EQ(Host("run --help", &output), 0);
    EXPECT_NE(output.find("OUTPUT may name the same file"), std::string::npos) << output;
}

// A staged screenshot needs the screenshot and a pixel of the image, a file
// of its own (never INPUT or OUTPUT, by whatever name), a folder it can go
// in, and a dialog to take: anything else is refused before a plug-in call,
// nothing written, every file as it was.
TEST(CommandLineTest, ScreenshotsAreCheckedFirst) {
    const std::string in = WriteInput("pick-in.png", RandomPng(3, 8, 61)), out = Folder() + "pick-out.png";
    const std::string link = Folder() + "pick-in-link.png", prm = WriteParameterFile("pick.prm", DefaultSettings());
    DeleteFileW(SystemPath(link).c_str());
    ASSERT_TRUE(CreateHardLinkW(SystemPath(link).c_str(), SystemPath(in).c_str(), nullptr));
    std::ofstream(out, std::ios::binary) << "earlier";
    const std::string inBytes = ReadFileBytes(in);
    const struct {
        std::string options, said;
    } cases[] = {
        {"--screenshot-pick 1,1", "--screenshot-pick"},
        {"--screenshot x.png --screenshot-pick 70,1", "--screenshot-pick"},
        {"--screenshot x.png --screenshot-pick 1,50", "--screenshot-pick"},
        {"--screenshot x.png --screenshot-pick -1,0", "--screenshot-pick"},
        {"--screenshot x.png --screenshot-pick 1", "--screenshot-pick"},
        {"--screenshot x.png --screenshot-pick 1,2,3", "--screenshot-pick"},
        {"--screenshot " + Quoted(in) + " --screenshot-pick 3,4", "names the INPUT"},
        {"--screenshot " + Quoted(link) + " --screenshot-pick 3,4", "names the INPUT"},
        {"--screenshot " + Quoted(out) + " --screenshot-pick 3,4", "names the OUTPUT"},
        {"--screenshot " + Quoted(Folder() + "no-such-folder\\shot.png") + " --screenshot-pick 3,4", "does not exist"},
        {"--screenshot " + Quoted(Folder() + "shot.png") + " --prm " + Quoted(prm), "opens none"},
    };
    std::string output;
    for (const auto& c : cases) {
        output.clear();
        EXPECT_EQ(Host(RunArguments(in, out, c.options), &output), 2) << c.options;
        EXPECT_NE(output.find(c.said), std::string::npos) << c.options << ": " << output;
        EXPECT_NE(output.find("nothing written"), std::string::npos) << c.options << ": " << output;
    }
    EXPECT_EQ(ReadFileBytes(out), "earlier");
    EXPECT_EQ(ReadFileBytes(in), inBytes);
    EXPECT_FALSE(Exists(Folder() + "shot.png"));
    EXPECT_EQ(PartialFilesIn(Folder()), std::vector<std::string>{});
}

// OUTPUT is checked before INPUT is read, INPUT before the plug-in is called:
// each is refused with the reason, status 2, nothing written.
TEST(CommandLineTest, FilesThatCannotBeUsedAreRefusedBeforeAnyWork) {
    const std::string in = WriteInput("checked-in.png", RandomPng(3, 8, 62));
    const std::string prm = WriteParameterFile("checked.prm", DefaultSettings());
    const std::string folder = Folder() + "a-folder";
    ASSERT_TRUE(MakeFolder(folder));
    const struct {
        std::string in, out, said;
    } cases[] = {
        {in, folder, "is a folder"},
        {in, "Z:\\dev\\full", "is a device or pipe"},
        {in, Folder() + "missing-folder\\out.png", "does not exist"},
        {folder, Folder() + "checked-out.png", "is a folder, not a PNG image"},
    };
    std::string output;
    for (const auto& c : cases) {
        output.clear();
        EXPECT_EQ(Host(RunArguments(c.in, c.out, "--prm " + Quoted(prm)), &output), 2) << c.out;
        EXPECT_NE(output.find(c.said), std::string::npos) << c.in << " -> " << c.out << ": " << output;
        EXPECT_EQ(output.find("filtered"), std::string::npos) << output;
    }
    EXPECT_FALSE(Exists(Folder() + "checked-out.png"));
    EXPECT_EQ(PartialFilesIn(Folder()), std::vector<std::string>{});
}

TEST(CommandLineTest, MessagesEndInABareLineFeed) {
    std::string output;
    EXPECT_EQ(Host(RunArguments(Folder() + "missing.png", Folder() + "none.png"), &output), 2);
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.back(), '\n');
    EXPECT_EQ(output.find('\r'), std::string::npos) << output;
    EXPECT_EQ(Host("run", &output), 2);
    EXPECT_EQ(output.find('\r'), std::string::npos);

    // A failed file call says what failed and why, not a bare number.
    const std::string in = WriteInput("messages-in.png", RandomPng(3, 8, 43));
    const std::string missing = Folder() + "missing.prm";
    output.clear();
    EXPECT_EQ(Host(RunArguments(in, Folder() + "none.png", "--prm " + Quoted(missing)), &output), 2);
    EXPECT_EQ(output.rfind("filterhost: cannot read the parameter file " + missing + ": ", 0), 0u) << output;
    EXPECT_GT(output.size(), missing.size() + 50) << output;
    const std::string notPlugin = Folder() + "not-a-plugin.8bf";
    WriteInput("not-a-plugin.8bf", RandomPng(3, 8, 44));
    output.clear();
    EXPECT_EQ(
        Host("run " + Quoted(notPlugin) + " " + Quoted(in) + " " + Quoted(Folder() + "none.png") + " --quiet", &output),
        2);
    const size_t said = output.find("cannot load the plug-in " + notPlugin + ": ");
    ASSERT_NE(said, std::string::npos) << output;
    EXPECT_GT(output.find(" (system error ", said), said + 27 + notPlugin.size()) << output;
}

// A grey PNG of one bit a sample (colour type 0, depth 1), which the reader
// widens to 8-bit grey; our writer never writes one.
std::string WriteOneBitGreyPng(const std::string& name, int width, int height) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < (width + 7) / 8; ++x) raw.push_back(uint8_t(0x5A ^ (y * 37 + x)));
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6);
    packed.resize(packedSize);
    std::string file = "\x89PNG\r\n\x1a\n";
    auto chunk = [&file](const char* type, const std::vector<uint8_t>& data) {
        for (int shift = 24; shift >= 0; shift -= 8) file.push_back(char(data.size() >> shift));
        std::string body(type, 4);
        body.append(data.begin(), data.end());
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
        file += body;
        for (int shift = 24; shift >= 0; shift -= 8) file.push_back(char(crc >> shift));
    };
    std::vector<uint8_t> header;
    for (uint32_t v : {uint32_t(width), uint32_t(height)})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(uint8_t(v >> shift));
    for (uint8_t b : {1, 0, 0, 0, 0}) header.push_back(b);  // depth 1, grey, deflate, no filter, no interlace
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    const std::string path = Folder() + name;
    std::FILE* f = filterhost::OpenFile(path, "wb");
    EXPECT_NE(f, nullptr);
    if (f != nullptr) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    return path;
}

TEST(CommandLineTest, DocumentsOfModesThePluginDoesNotTakeAreRefused) {
    // The repeat flow would hand the plug-in a one-plane tile it reads as
    // three; the host must stop before it calls the plug-in at all.
    const std::string prm = WriteParameterFile("modes.prm", DefaultSettings());
    const std::string out = Folder() + "modes-out.png";
    std::remove(out.c_str());
    struct Case {
        std::string input, more, says;
    };
    const std::string rgb = WriteInput("modes-rgb.png", RandomPng(3, 8, 31));
    const Case cases[] = {
        {WriteInput("modes-grey8.png", RandomPng(1, 8, 32)), "", "grey images (image mode 1, GrayScale"},
        {WriteInput("modes-grey16.png", RandomPng(1, 16, 33)), "", "grey images (image mode 10, Gray16"},
        {WriteInput("modes-greyalpha8.png", RandomPng(2, 8, 34)), "", "grey images (image mode 1,"},
        {WriteInput("modes-greyalpha16.png", RandomPng(2, 16, 35)), "", "grey images (image mode 10,"},
        {WriteOneBitGreyPng("modes-grey1.png", 37, 11), "", "grey images (image mode 1,"},
        {rgb, "--mode 1", "grey images (image mode 1,"},
        {rgb, "--mode 4", "CMYK images (image mode 4,"},
    };
    std::string output;
    for (const Case& c : cases) {
        for (bool repeat : {true, false}) {  // the repeat flow and the menu flow
            output.clear();
            EXPECT_EQ(Host(RunArguments(c.input, out, (repeat ? "--prm " + Quoted(prm) + " " : "") + c.more), &output),
                      2)
                << c.input << " " << c.more;
            EXPECT_NE(output.find("the plug-in does not support " + c.says), std::string::npos) << output;
            EXPECT_NE(output.find("it takes RGBColor and RGB48 documents"), std::string::npos) << output;
            EXPECT_FALSE(Exists(out));
        }
    }
    // The modes it does take still run, the document's own and a forced one.
    EXPECT_EQ(Host(RunArguments(rgb, out, "--prm " + Quoted(prm) + " --mode 3"), &output), 0) << output;
    EXPECT_EQ(
        Host(RunArguments(WriteInput("modes-rgb16.png", RandomPng(4, 16, 36)), out, "--prm " + Quoted(prm)), &output),
        0)
        << output;
}

PngImage SolidPng(int width, int height, uint16_t r, uint16_t g, uint16_t b) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.bits = 8;
    image.samples.reserve(size_t(width) * height * 3);
    for (size_t i = 0; i < size_t(width) * height; ++i)
        for (uint16_t v : {r, g, b}) image.samples.push_back(v);
    return image;
}

TEST(CommandLineTest, SixteenBitCoordinatesBoundImagesAndSelections) {
    FilterParameters p = DefaultSettings();
    p.range = 600;
    const std::string prm = WriteParameterFile("coordinates.prm", p);
    const std::string out = Folder() + "coordinates-out.png";
    std::string output;

    // 32767 pixels a side is the most the record can describe; it is filtered.
    const std::string widest = WriteInput("widest.png", SolidPng(32767, 2, 220, 30, 30));
    std::remove(out.c_str());
    ASSERT_EQ(Host(RunArguments(widest, out, "--prm " + Quoted(prm)), &output), 0) << output;
    const PngImage filtered = ReadOutput(out);
    ASSERT_EQ(filtered.samples.size(), size_t(32767) * 2 * 3);
    EXPECT_NE(filtered.samples[size_t(32766) * 3], 220) << "the last column was not filtered";
    EXPECT_EQ(filtered.samples.front(), filtered.samples[size_t(32766) * 3]);

    // One more would wrap to -32768: refused before the plug-in is called.
    for (const auto& [name, image] : {std::pair{"too-wide.png", SolidPng(32768, 2, 220, 30, 30)},
                                      std::pair{"too-tall.png", SolidPng(1, 40000, 220, 30, 30)}}) {
        std::remove(out.c_str());
        EXPECT_EQ(Host(RunArguments(WriteInput(name, image), out, "--prm " + Quoted(prm)), &output), 2) << name;
        EXPECT_NE(output.find("at most 32767 pixels a side"), std::string::npos) << output;
        EXPECT_FALSE(Exists(out)) << name;
        // A host that offers big documents gives them to the plug-in, which
        // filters every column.
        output.clear();
        ASSERT_EQ(
            Host(RunArguments(Folder() + name, out, "--prm " + Quoted(prm) + " --host-profile photoshop"), &output), 0)
            << output;
        const PngImage big = ReadOutput(out);
        ASSERT_EQ(big.samples.size(), image.samples.size()) << name;
        EXPECT_NE(big.samples.back(), 30) << name << ": the last pixel was not filtered";
        EXPECT_EQ(big.samples.front(), big.samples[big.samples.size() - 3]) << name;
    }

    // --rect: a usage error unless four numbers in 0..32767 make a non-empty
    // rectangle; these all wrapped or slipped through before.
    const std::string in = WriteInput("coordinates-in.png", SolidPng(70, 50, 220, 30, 30));
    const char* refused[] = {
        "0,0,70000,70000", "0,0,32768,752", "-1,0,10,10", "0,-5,10,10", "10,0,5,10",
        "0,10,10,5",       "5,5,5,9",       "5,5,9,5",    "0,0,10",     "0,0,10,10,4",
        "a,0,10,10",       "0x0,0,10,10",   " 1,0,10,10", "1,,10,10",   "0,0,99999999999999999999,10"};
    for (const char* rect : refused) {
        std::remove(out.c_str());
        EXPECT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm) + " --rect \"" + rect + "\""), &output), 2) << rect;
        EXPECT_NE(output.find("--rect"), std::string::npos) << rect << ": " << output;
        EXPECT_FALSE(Exists(out)) << rect;
    }

    // The largest rectangle is clipped to the image: the same as no --rect.
    ASSERT_EQ(Host(RunArguments(in, out, "--prm " + Quoted(prm) + " --rect 0,0,32767,32767"), &output), 0) << output;
    const std::string whole = Folder() + "coordinates-whole.png";
    ASSERT_EQ(Host(RunArguments(in, whole, "--prm " + Quoted(prm)), &output), 0) << output;
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(whole));
    EXPECT_NE(ReadFileBytes(out), ReadFileBytes(in));
}

TEST(CommandLineTest, ValueOptionsGivenTwiceAreUsageErrors) {
    const std::string first = WriteParameterFile("first.prm", DefaultSettings());
    FilterParameters other = DefaultSettings();
    other.range = 900;
    const std::string second = WriteParameterFile("second.prm", other);
    const std::string in = WriteInput("twice-in.png", RandomPng(3, 8, 41)), out = Folder() + "twice-out.png";
    const std::string twice[] = {
        "--prm " + Quoted(first) + " --prm " + Quoted(second),
        "--prm " + Quoted(first) + " --rect 0,0,10,10 --rect 5,5,20,20",
        "--prm " + Quoted(first) + " --mode 3 --mode 11",
        "--prm " + Quoted(first) + " --save-parameters " + Quoted(Folder() + "a.bin") + " --save-parameters " +
            Quoted(Folder() + "b.bin"),
    };
    std::string output;
    for (const std::string& options : twice) {
        std::remove(out.c_str());
        output.clear();
        EXPECT_EQ(Host(RunArguments(in, out, options), &output), 2) << options;
        EXPECT_NE(output.find("given twice"), std::string::npos) << output;
        EXPECT_FALSE(Exists(out)) << options;
    }
}

}  // namespace
}  // namespace tavirel::test
