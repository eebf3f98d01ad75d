// Our host as the host of a plug-in other than Tavirel: the tests' own
// InvertFilter.8bf, which reads every sample through the record's row, column
// and plane steps and refuses a host that does not give them, run through
// `filterhost run` at 8 and 16 bits and compared with the inversion.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "HostFixture.h"
#include "filterhost/lib/HostScale.h"
#include "filterhost/lib/PngFile.h"
#include "tests/support/WindowsVersion.h"

namespace tavirel::test {
namespace {

using filterhost::PngImage;

std::string Folder() {
    static const std::string folder = TestFolder("foreign-plugin-test");
    return folder;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

int RunInvert(const std::string& in, const std::string& out, const std::string& more, std::string* output) {
    output->clear();
    const std::string host = filterhost::ProgramFolder() + "filterhost.exe";
    const std::string plugin = filterhost::ProgramFolder() + "InvertFilter.8bf";
    return filterhost::RunCapturingOutput(
        Quoted(host) + " run " + Quoted(plugin) + " " + Quoted(in) + " " + Quoted(out) + " --quiet " + more, output);
}

PngImage RandomPng(int width, int height, int channels, int bits, uint64_t seed) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.bits = bits;
    TestRandom random(seed);
    image.samples.resize(size_t(width) * height * channels);
    for (auto& s : image.samples) s = uint16_t(random.UpTo(bits == 16 ? 65535 : 255));
    return image;
}

std::string WriteInput(const std::string& name, const PngImage& image) {
    const std::string path = Folder() + name;
    std::string error;
    EXPECT_TRUE(filterhost::WritePng(path, image, &error)) << error;
    return path;
}

// The file value a sample comes back with once inverted on the host's scale
// (0..255, or 0..32768 at 16 bits). A host value the filter left as it was
// keeps its file value.
uint16_t Inverted(uint16_t v, int bits) {
    if (bits == 8) return uint16_t(255 - v);
    const uint16_t h = filterhost::HostFromFile16(v), inverted = uint16_t(32768 - h);
    return inverted == h ? v : filterhost::FileFromHost16(inverted);
}

// The colour samples inside [left, right) x [top, bottom) inverted, the rest
// and every alpha sample as they were.
PngImage Expected(const PngImage& input, int left, int top, int right, int bottom) {
    PngImage expected = input;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            for (int c = 0; c < 3; ++c) {
                uint16_t& s = expected.samples[(size_t(y) * input.width + x) * input.channels + c];
                s = Inverted(s, input.bits);
            }
    return expected;
}

TEST(ForeignPluginTest, InvertsAtBothDepthsThroughEveryFlow) {
    // 53 x 41: three full strips of 16 rows and a short one.
    const std::string out = Folder() + "inverted.png";
    const std::string handle = Folder() + "handle.bin";
    {
        std::FILE* f = filterhost::OpenFile(handle, "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("none", f);
        std::fclose(f);
    }
    struct Variation {
        const char* options;
        int left, top, right, bottom;
    };
    const Variation variations[] = {
        {"", 0, 0, 53, 41},                     // the menu flow: no dialog
        {"--direct", 0, 0, 53, 41},             // tiles as pointers into the document
        {"--parameters HANDLE", 0, 0, 53, 41},  // the repeat flow
        {"--rect 5,7,30,40", 5, 7, 30, 40},     // a selection
        {"--rect 5,7,30,40 --direct", 5, 7, 30, 40},
    };
    for (int bits : {8, 16}) {
        for (int channels : {3, 4}) {
            const PngImage input = RandomPng(53, 41, channels, bits, uint64_t(bits * 10 + channels));
            const std::string in = WriteInput("invert-in.png", input);
            for (const Variation& v : variations) {
                std::string options = v.options;
                const size_t at = options.find("HANDLE");
                if (at != std::string::npos) options.replace(at, 6, Quoted(handle));
                std::remove(out.c_str());
                std::string output;
                ASSERT_EQ(RunInvert(in, out, options, &output), 0)
                    << bits << " bits, " << channels << " channels, " << v.options << ": " << output;
                PngImage result;
                std::string error;
                ASSERT_TRUE(filterhost::ReadPng(out, &result, &error)) << error;
                EXPECT_EQ(result.bits, bits);
                EXPECT_EQ(result.channels, channels);
                EXPECT_EQ(result.samples, Expected(input, v.left, v.top, v.right, v.bottom).samples)
                    << bits << " bits, " << channels << " channels, " << v.options;
            }
        }
    }
}

TEST(ForeignPluginTest, ItsModeFlagsDecideWhatItIsGiven) {
    // No 'enbl' expression: the 'mode' flags (RGB and RGB48) decide alone.
    const std::string out = Folder() + "refused.png";
    std::remove(out.c_str());
    std::string output;
    EXPECT_EQ(RunInvert(WriteInput("invert-grey.png", RandomPng(9, 9, 1, 16, 5)), out, "", &output), 2);
    EXPECT_NE(output.find("does not support grey images (image mode 10, Gray16"), std::string::npos) << output;
    EXPECT_NE(output.find("it takes RGBColor and RGB48 documents"), std::string::npos) << output;
    EXPECT_EQ(RunInvert(WriteInput("invert-rgb.png", RandomPng(9, 9, 3, 8, 6)), out, "--mode 9", &output), 2);
    EXPECT_NE(output.find("does not support Lab images"), std::string::npos) << output;
    EXPECT_EQ(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tavirel::test
