// The product Tavirel.8bf of the i686 build, read as a file: a 32-bit DLL
// exporting exactly ENTRYPOINT, importing only system DLLs, with its property
// list and strings byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "PeImage.h"

namespace tavirel::test {
namespace {

constexpr uint32_t kEnglishUs = 1033;

class ProductBinaryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        image_ = new PeImage;
        std::string error;
        loaded_ = image_->Load(TAVIREL_PRODUCT_FILE, &error);
        if (!loaded_) loadError_ = new std::string(error);
    }
    void SetUp() override { ASSERT_TRUE(loaded_) << TAVIREL_PRODUCT_FILE << ": " << *loadError_; }
    static PeImage* image_;
    static bool loaded_;
    static std::string* loadError_;
};
PeImage* ProductBinaryTest::image_ = nullptr;
bool ProductBinaryTest::loaded_ = false;
std::string* ProductBinaryTest::loadError_ = nullptr;

TEST_F(ProductBinaryTest, Is32BitDllWithOneExport) {
    EXPECT_EQ(image_->machine(), 0x14C);        // i386
    EXPECT_EQ(image_->optionalMagic(), 0x10B);  // PE32
    EXPECT_TRUE(image_->characteristics() & 0x2000) << "not a DLL";
    EXPECT_EQ(image_->exportModuleName(), "Tavirel.8bf");
    ASSERT_EQ(image_->exports().size(), 1u);
    EXPECT_EQ(image_->exports()[0].name, "ENTRYPOINT");
    EXPECT_EQ(image_->exports()[0].ordinal, 1u);
}

TEST_F(ProductBinaryTest, ImportsOnlySystemLibraries) {
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                             "shell32.dll",  "comdlg32.dll", "ole32.dll",
                                             "advapi32.dll", "msvcrt.dll",   "comctl32.dll"};
    ASSERT_FALSE(image_->importedModules().empty());
    for (std::string name : image_->importedModules()) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }
}

// The property list as a host reads it: little-endian words, four-character
// codes as 32-bit values (so their characters run backwards), each datum
// padded with zeros to four bytes while its length stays unpadded.
std::vector<uint8_t> ExpectedPipl() {
    std::vector<uint8_t> b;
    auto word = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    auto code = [&](const char* c) {
        for (int i = 3; i >= 0; --i) b.push_back(uint8_t(c[i]));
    };
    auto property = [&](const char* key, std::vector<uint8_t> data) {
        code("8BIM");
        code(key);
        word(0);
        word(uint32_t(data.size()));
        while (data.size() % 4) data.push_back(0);
        b.insert(b.end(), data.begin(), data.end());
    };
    auto text = [](const std::string& s, bool counted) {
        std::vector<uint8_t> v;
        if (counted) v.push_back(uint8_t(s.size()));
        for (char c : s) v.push_back(uint8_t(c));
        if (!counted) v.push_back(0);
        return v;
    };
    b.push_back(1);
    b.push_back(0);
    word(0);
    word(9);
    property("kind", {'M', 'F', 'B', '8'});
    property("vers", {0, 0, 4, 0});
    property("prty", {0, 0, 0, 0});
    property("catg", text("zelvanor", true));
    property("name", text("Tavirel I...", true));
    property("wx86", text("ENTRYPOINT", false));
    property("mode", {0x10, 0x00});
    property("enbl", text("in (PSHOP_ImageMode, RGBMode, RGB48Mode)", false));
    std::vector<uint8_t> cases;
    for (int i = 0; i < 7; ++i)
        for (uint8_t v : {1, 1, 0, 0}) cases.push_back(v);
    property("fici", cases);
    return b;
}

TEST_F(ProductBinaryTest, PropertyListByteForByte) {
    const auto pipl = image_->Resource("PIPL", 16000, kEnglishUs);
    ASSERT_TRUE(pipl.has_value()) << "no PIPL 16000 in language 1033";
    EXPECT_EQ(*pipl, ExpectedPipl());
}

TEST_F(ProductBinaryTest, StringsWithTheirCarriageReturns) {
    const std::pair<uint32_t, const char*> strings[] = {
        {16000, "Tavirel I"},
        {1011,
         "This plug-in is incompatible with this operating system. \rIt will only run with "
         "Windows 98, Windows 2000, or Windows NT 5.0."},
        {1202,
         "This application is incompatible with this plugin. \rThe host application does not "
         "support advanceState."},
        {1301, "The plugin needs an image with the R, G, and B channels all selected."},
        {1303,
         "The plugin encountered an invalid image mode. \rPlease make sure the image mode is "
         "set to RGB, \rand the R, G, and B channels are selected in \rthe channel palette."},
        {2010, "This plug-in encountered unknown parameters."},
        {2011,
         "This plug-in encountered incompatible parameters. \rThese parameters were created "
         "by a different plug-in."},
        {2012,
         "This plug-in encountered incompatible parameters. \rThe filetype of these "
         "parameters is unknown."},
        {2013,
         "This plug-in encountered incompatible parameters. \rThis version of parameters can "
         "not be read."},
    };
    for (auto [id, text] : strings) {
        const auto found = image_->String(id, kEnglishUs);
        ASSERT_TRUE(found.has_value()) << "string " << id;
        EXPECT_EQ(*found, text) << "string " << id;
    }
    EXPECT_FALSE(image_->String(1012, kEnglishUs).has_value());
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b.at(at) | (b.at(at + 1) << 8)); }
uint32_t Long(const std::vector<uint8_t>& b, size_t at) { return Word(b, at) | (Word(b, at + 2) << 16); }

TEST_F(ProductBinaryTest, AboutDialogAndBitmaps) {
    EXPECT_TRUE(image_->Resource("#5", 16000, kEnglishUs).has_value()) << "about dialog";
    struct Bitmap {
        uint32_t id, width, height;
    };
    for (const Bitmap& expected : {Bitmap{16000, 425, 250}, Bitmap{16001, 20, 800}}) {
        const auto bitmap = image_->Resource("#2", expected.id, kEnglishUs);
        ASSERT_TRUE(bitmap.has_value()) << "bitmap " << expected.id;
        EXPECT_EQ(Long(*bitmap, 0), 40u);  // BITMAPINFOHEADER
        EXPECT_EQ(Long(*bitmap, 4), expected.width) << expected.id;
        EXPECT_EQ(Long(*bitmap, 8), expected.height) << expected.id;
        EXPECT_EQ(Word(*bitmap, 14), 8u) << "bits per pixel of " << expected.id;
        const uint32_t colours = Long(*bitmap, 32);
        EXPECT_TRUE(colours == 0 || colours == 256) << colours;
        EXPECT_EQ(bitmap->size(), 40u + 256 * 4 + (expected.width + 3) / 4 * 4 * expected.height);
    }
}

TEST_F(ProductBinaryTest, IconAndCursors) {
    // A group lists its images: a 6-byte header (reserved, type, count) and
    // 14 bytes per image, whose last word is the image's own resource id.
    const auto icon = image_->Resource("#14", 16002, kEnglishUs);
    ASSERT_TRUE(icon.has_value()) << "icon group 16002";
    EXPECT_EQ(Word(*icon, 2), 1u);
    ASSERT_GE(Word(*icon, 4), 1u);
    for (uint32_t i = 0; i < Word(*icon, 4); ++i)
        EXPECT_TRUE(image_->Resource("#3", Word(*icon, 6 + 14 * i + 12), kEnglishUs).has_value()) << "icon image " << i;

    struct CursorImage {
        uint32_t size, bits;
    };
    struct Cursor {
        uint32_t id, hotX, hotY;
        std::vector<CursorImage> images;
    };
    const Cursor cursors[] = {{31, 8, 8, {{32, 1}, {16, 4}, {16, 1}}}, {32, 7, 7, {{32, 1}, {16, 1}}}};
    for (const Cursor& expected : cursors) {
        const auto group = image_->Resource("#12", expected.id, kEnglishUs);
        ASSERT_TRUE(group.has_value()) << "cursor group " << expected.id;
        EXPECT_EQ(Word(*group, 2), 2u);
        ASSERT_EQ(Word(*group, 4), expected.images.size()) << "images of cursor " << expected.id;
        for (size_t i = 0; i < expected.images.size(); ++i) {
            const size_t entry = 6 + 14 * i;
            const auto cursor = image_->Resource("#1", Word(*group, entry + 12), kEnglishUs);
            ASSERT_TRUE(cursor.has_value()) << expected.id << " image " << i;
            // Each image: the hot spot, then its bitmap header (height counts XOR and AND masks).
            EXPECT_EQ(Word(*cursor, 0), expected.hotX) << expected.id << " image " << i;
            EXPECT_EQ(Word(*cursor, 2), expected.hotY) << expected.id << " image " << i;
            EXPECT_EQ(Long(*cursor, 8), expected.images[i].size) << expected.id << " image " << i;
            EXPECT_EQ(Long(*cursor, 12), 2 * expected.images[i].size) << expected.id << " image " << i;
            EXPECT_EQ(Word(*cursor, 18), expected.images[i].bits) << expected.id << " image " << i;
        }
    }
}

// A filter run holds its image twice; the 32-bit host needs the 4 GB that a
// 64-bit system gives a large-address-aware program for the largest images.
TEST(HostBinaryTest, The32BitHostIsLargeAddressAware) {
    PeImage host;
    std::string error;
    ASSERT_TRUE(host.Load(TAVIREL_HOST_FILE, &error)) << TAVIREL_HOST_FILE << ": " << error;
    EXPECT_EQ(host.machine(), 0x14C);  // i386
    EXPECT_TRUE(host.characteristics() & 0x0020) << "IMAGE_FILE_LARGE_ADDRESS_AWARE is not set";
    EXPECT_FALSE(host.characteristics() & 0x2000) << "a DLL, not a program";
}

}  // namespace
}  // namespace tavirel::test
