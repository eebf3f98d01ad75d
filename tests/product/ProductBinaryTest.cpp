// The two products, Tavirel.8bf (i686) and Tavirel64.8bf (x86-64), read as
// files: DLLs exporting exactly ENTRYPOINT, importing only system DLLs, each
// with its own entry property and otherwise the same property list, strings,
// artwork and version, shipped without debug sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PeImage.h"
#include "filterhost/lib/PiplReader.h"
#include "plugin/filter/ActionDescriptor.h"

namespace tavirel::test {
namespace {

constexpr uint32_t kEnglishUs = 1033;

struct Product {
    const char* path;
    const char* fileName;
    uint16_t machine;
    uint16_t optionalMagic;  // PE32 or PE32+
    const char* entryKey;
};
const Product kProducts[] = {
    {TAVIREL_PRODUCT_FILE, "Tavirel.8bf", 0x14C, 0x10B, "wx86"},
    {TAVIREL_PRODUCT64_FILE, "Tavirel64.8bf", 0x8664, 0x20B, "8664"},
};

class ProductBinaryTest : public ::testing::TestWithParam<Product> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(image_.Load(GetParam().path, &error))
            << GetParam().path << ": " << error << " (build it: scripts/build.sh i686 and x86_64)";
    }
    PeImage image_;
};
INSTANTIATE_TEST_SUITE_P(BothArchitectures, ProductBinaryTest, ::testing::ValuesIn(kProducts),
                         [](const auto& info) { return std::string(info.param.machine == 0x14C ? "i686" : "x86_64"); });

TEST_P(ProductBinaryTest, IsDllWithOneExport) {
    EXPECT_EQ(image_.machine(), GetParam().machine);
    EXPECT_EQ(image_.optionalMagic(), GetParam().optionalMagic);
    EXPECT_TRUE(image_.characteristics() & 0x2000) << "not a DLL";
    EXPECT_EQ(image_.exportModuleName(), GetParam().fileName);
    ASSERT_EQ(image_.exports().size(), 1u);
    EXPECT_EQ(image_.exports()[0].name, "ENTRYPOINT");
    EXPECT_EQ(image_.exports()[0].ordinal, 1u);
}

TEST_P(ProductBinaryTest, ImportsOnlySystemLibraries) {
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                             "shell32.dll",  "comdlg32.dll", "ole32.dll",
                                             "advapi32.dll", "msvcrt.dll",   "comctl32.dll"};
    ASSERT_FALSE(image_.importedModules().empty());
    for (std::string name : image_.importedModules()) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }
}

TEST_P(ProductBinaryTest, ShipsWithoutDebugSectionsOrSymbols) {
    ASSERT_FALSE(image_.sectionNames().empty());
    for (const std::string& name : image_.sectionNames()) EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
    EXPECT_EQ(image_.symbolCount(), 0u);
}

// The property list as a host reads it: little-endian words, four-character
// codes as 32-bit values (so their characters run backwards), each datum
// padded with zeros to four bytes while its length stays unpadded.
std::vector<uint8_t> ExpectedPipl(const char* entryKey) {
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
    word(11);
    property("kind", {'M', 'F', 'B', '8'});
    property("vers", {0, 0, 4, 0});
    property("prty", {0, 0, 0, 0});
    property("catg", text("zelvanor", true));
    property("name", text("Tavirel I...", true));
    property(entryKey, text("ENTRYPOINT", false));
    property("mode", {0x10, 0x00});
    property("enbl", text("in (PSHOP_ImageMode, RGBMode, RGB48Mode)", false));
    std::vector<uint8_t> cases;
    for (int i = 0; i < 7; ++i)
        for (uint8_t v : {1, 1, 0, 0}) cases.push_back(v);
    property("fici", cases);
    std::vector<uint8_t> maximum;
    for (uint32_t side : {300000u, 300000u})  // height, then width
        for (int i = 0; i < 4; ++i) maximum.push_back(uint8_t(side >> (8 * i)));
    property("ms32", maximum);
    // Version 0, class 'Fltr', event 'TvrI' (as 32-bit values), the
    // terminology's id as a 16-bit word, the scope with its zero.
    std::vector<uint8_t> terminology = {0, 0, 0, 0, 'r', 't', 'l', 'F', 'I', 'r', 'v', 'T', 0x80, 0x3E};
    for (char c : std::string("zelvanor Tavirel I")) terminology.push_back(uint8_t(c));
    terminology.push_back(0);
    property("hstm", terminology);
    return b;
}

TEST_P(ProductBinaryTest, PropertyListByteForByte) {
    const auto pipl = image_.Resource("PIPL", 16000, kEnglishUs);
    ASSERT_TRUE(pipl.has_value()) << "no PIPL 16000 in language 1033";
    EXPECT_EQ(*pipl, ExpectedPipl(GetParam().entryKey));
}

// Property by property, the two files differ in the entry property's key
// alone: a change to one build's list that the other misses shows here.
TEST(ProductPairTest, PropertyListsDifferOnlyInTheEntryKey) {
    filterhost::Pipl lists[2];
    for (int i = 0; i < 2; ++i) {
        PeImage image;
        std::string error;
        ASSERT_TRUE(image.Load(kProducts[i].path, &error)) << kProducts[i].path << ": " << error;
        const auto bytes = image.Resource("PIPL", 16000, kEnglishUs);
        ASSERT_TRUE(bytes.has_value()) << kProducts[i].path;
        ASSERT_TRUE(filterhost::ParsePipl(bytes->data(), bytes->size(), &lists[i], &error)) << error;
    }
    ASSERT_EQ(lists[0].properties.size(), lists[1].properties.size());
    for (size_t k = 0; k < lists[0].properties.size(); ++k) {
        const filterhost::PiplProperty &a = lists[0].properties[k], &b = lists[1].properties[k];
        const std::string keys = filterhost::FourCharText(a.key) + " / " + filterhost::FourCharText(b.key);
        if (filterhost::FourCharText(a.key) == "wx86") {
            EXPECT_EQ(filterhost::FourCharText(b.key), "8664") << "property " << k;
        } else {
            EXPECT_EQ(a.key, b.key) << "property " << k << ": " << keys;
        }
        EXPECT_NE(filterhost::FourCharText(b.key), "wx86") << "property " << k;
        EXPECT_EQ(a.vendor, b.vendor) << keys;
        EXPECT_EQ(a.id, b.id) << keys;
        EXPECT_EQ(a.data, b.data) << keys;
    }
}

// The terminology resource read as a host reads it (counted strings with no
// alignment, four-character codes as little-endian 32-bit values): one suite,
// one event that 'hstm' names, and the seven parameters with the keys and
// types the plug-in writes into its descriptors.
class AeteReader {
public:
    explicit AeteReader(const std::vector<uint8_t>& b) : b_(b) {}
    uint32_t Short() {
        const uint32_t v = Word(at_);
        at_ += 2;
        return v;
    }
    uint32_t Code() {
        const uint32_t v = Word(at_) | (Word(at_ + 2) << 16);
        at_ += 4;
        return v;
    }
    std::string Text() {
        const size_t n = b_.at(at_);
        std::string s(b_.begin() + long(at_) + 1, b_.begin() + long(at_ + 1 + n));
        at_ += 1 + n;
        return s;
    }
    bool AtEnd() const { return at_ == b_.size(); }

private:
    uint32_t Word(size_t at) const { return uint32_t(b_.at(at) | (b_.at(at + 1) << 8)); }
    const std::vector<uint8_t>& b_;
    size_t at_ = 0;
};

TEST_P(ProductBinaryTest, TerminologyNamesTheEventAndItsSevenParameters) {
    const auto pipl = image_.Resource("PIPL", 16000, kEnglishUs);
    ASSERT_TRUE(pipl.has_value());
    filterhost::Pipl list;
    std::string error;
    ASSERT_TRUE(filterhost::ParsePipl(pipl->data(), pipl->size(), &list, &error)) << error;
    const filterhost::PiplProperty* hstm = nullptr;
    for (const auto& p : list.properties)
        if (filterhost::FourCharText(p.key) == "hstm") hstm = &p;
    ASSERT_NE(hstm, nullptr) << "no 'hstm' property";
    ASSERT_GE(hstm->data.size(), 14u);
    AeteReader h(hstm->data);
    EXPECT_EQ(h.Code(), 0u) << "version";
    EXPECT_EQ(h.Code(), kTerminologyClass);
    EXPECT_EQ(h.Code(), kTerminologyEvent);
    const uint32_t resource = h.Short();
    EXPECT_EQ(resource, uint32_t(kTerminologyResource));

    const auto aete = image_.Resource("AETE", resource, kEnglishUs);
    ASSERT_TRUE(aete.has_value()) << "no AETE " << resource;
    AeteReader r(*aete);
    EXPECT_EQ(r.Short(), 1u) << "reserved word";
    EXPECT_EQ(r.Short(), 1u) << "version 1.0";
    EXPECT_EQ(r.Short(), 0u) << "language";
    EXPECT_EQ(r.Short(), 0u) << "script";
    ASSERT_EQ(r.Short(), 1u) << "suites";
    EXPECT_EQ(r.Text(), "zelvanor");
    EXPECT_EQ(r.Text(), "");
    EXPECT_EQ(r.Code(), kTerminologySuite);
    EXPECT_EQ(r.Short(), 1u) << "suite level";
    EXPECT_EQ(r.Short(), 1u) << "suite version";
    ASSERT_EQ(r.Short(), 1u) << "events";
    EXPECT_EQ(r.Text(), "Tavirel I");
    EXPECT_FALSE(r.Text().empty()) << "event description";
    EXPECT_EQ(r.Code(), kTerminologyClass);
    EXPECT_EQ(r.Code(), kTerminologyEvent);
    EXPECT_EQ(r.Code(), typeNull) << "reply";
    EXPECT_EQ(r.Text(), "");
    EXPECT_EQ(r.Short(), 0u);
    EXPECT_EQ(r.Code(), FourCharCode("#ImR")) << "direct parameter";
    EXPECT_EQ(r.Text(), "");
    EXPECT_EQ(r.Short(), 0xB000u);
    ASSERT_EQ(r.Short(), uint32_t(kDescriptorFieldCount)) << "parameters";
    const char* names[] = {"Source Hue",
                           "Source Saturation",
                           "Source Brightness",
                           "Destination Hue",
                           "Destination Saturation",
                           "Destination Brightness",
                           "Range"};
    for (int k = 0; k < kDescriptorFieldCount; ++k) {
        EXPECT_EQ(r.Text(), names[k]);
        EXPECT_EQ(r.Code(), kDescriptorFields[k].key) << names[k];
        EXPECT_EQ(r.Code(), kDescriptorFields[k].unit) << names[k] << ": degrees or percent";
        const std::string description = r.Text();
        EXPECT_NE(description.find(kDescriptorFields[k].unit == unitAngle ? "degrees" : "percent"), std::string::npos)
            << description;
        EXPECT_EQ(r.Short(), 0x8000u) << names[k] << " optional";
    }
    for (const char* what : {"classes", "comparison operators", "enumerations"}) EXPECT_EQ(r.Short(), 0u) << what;
    EXPECT_TRUE(r.AtEnd());
}

TEST_P(ProductBinaryTest, StringsWithTheirCarriageReturns) {
    const std::pair<uint32_t, const char*> strings[] = {
        {16000, "Tavirel I"},
        {1011,
         "This plug-in is incompatible with this operating system. \rIt will only run with "
         "Windows 98, Windows 2000, or Windows NT 5.0."},
        {1204,
         "The plug-in's dialog could not be opened. \rThe trackbar control it needs is not available in this "
         "application."},
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
        const auto found = image_.String(id, kEnglishUs);
        ASSERT_TRUE(found.has_value()) << "string " << id;
        EXPECT_EQ(*found, text) << "string " << id;
    }
    EXPECT_FALSE(image_.String(1012, kEnglishUs).has_value());
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b.at(at) | (b.at(at + 1) << 8)); }
uint32_t Long(const std::vector<uint8_t>& b, size_t at) { return Word(b, at) | (Word(b, at + 2) << 16); }

TEST_P(ProductBinaryTest, AboutDialogAndBitmaps) {
    EXPECT_TRUE(image_.Resource("#5", 16000, kEnglishUs).has_value()) << "about dialog";
    struct Bitmap {
        uint32_t id, width, height;
    };
    for (const Bitmap& expected : {Bitmap{16000, 425, 250}, Bitmap{16001, 20, 800}}) {
        const auto bitmap = image_.Resource("#2", expected.id, kEnglishUs);
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

TEST_P(ProductBinaryTest, IconAndCursors) {
    // A group lists its images: a 6-byte header (reserved, type, count) and
    // 14 bytes per image, whose last word is the image's own resource id.
    const auto icon = image_.Resource("#14", 16002, kEnglishUs);
    ASSERT_TRUE(icon.has_value()) << "icon group 16002";
    EXPECT_EQ(Word(*icon, 2), 1u);
    // 16 x 16 first, the size the dialog's foot has room for (a static
    // showing the icon at its own size takes the first image), then 32 x 32.
    ASSERT_EQ(Word(*icon, 4), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        const size_t entry = 6 + 14 * i;
        EXPECT_EQ((*icon)[entry], i == 0 ? 16 : 32) << "width of icon image " << i;
        EXPECT_EQ((*icon)[entry + 1], i == 0 ? 16 : 32) << "height of icon image " << i;
        const auto image = image_.Resource("#3", Word(*icon, entry + 12), kEnglishUs);
        ASSERT_TRUE(image.has_value()) << "icon image " << i;
        EXPECT_EQ(Long(*image, 4), i == 0 ? 16u : 32u) << "icon image " << i;
    }

    struct CursorImage {
        uint32_t size, bits;
    };
    struct Cursor {
        uint32_t id, hotX, hotY;
        std::vector<CursorImage> images;
    };
    const Cursor cursors[] = {{31, 8, 8, {{32, 1}, {16, 4}, {16, 1}}}, {32, 7, 7, {{32, 1}, {16, 1}}}};
    for (const Cursor& expected : cursors) {
        const auto group = image_.Resource("#12", expected.id, kEnglishUs);
        ASSERT_TRUE(group.has_value()) << "cursor group " << expected.id;
        EXPECT_EQ(Word(*group, 2), 2u);
        ASSERT_EQ(Word(*group, 4), expected.images.size()) << "images of cursor " << expected.id;
        for (size_t i = 0; i < expected.images.size(); ++i) {
            const size_t entry = 6 + 14 * i;
            const auto cursor = image_.Resource("#1", Word(*group, entry + 12), kEnglishUs);
            ASSERT_TRUE(cursor.has_value()) << expected.id << " image " << i;
            // Each image: the hot spot, then its bitmap header (height counts XOR and AND masks).
            EXPECT_EQ(Word(*cursor, 0), expected.hotX) << expected.id << " image " << i;
            EXPECT_EQ(Word(*cursor, 2), expected.hotY) << expected.id << " image " << i;
            EXPECT_EQ(Long(*cursor, 8), expected.images[i].size) << expected.id << " image " << i;
            EXPECT_EQ(Long(*cursor, 12), 2 * expected.images[i].size) << expected.id << " image " << i;
            EXPECT_EQ(Word(*cursor, 18), expected.images[i].bits) << expected.id << " image " << i;
            if (expected.id != 32) continue;
            // The target: no black pixel has a clear one beside it (edge or
            // corner), so it shows over dark pixels too. Monochrome rows,
            // bottom up, after the hot spot, the header and two colours: the
            // XOR mask (1 white), then the AND mask (1 clear).
            const int size = int(expected.images[i].size), stride = 4;
            ASSERT_EQ(cursor->size(), 4u + 40 + 8 + 2u * stride * size);
            auto bit = [&](size_t plane, int x, int y) {
                return ((*cursor)[plane + size_t(size - 1 - y) * stride + x / 8] >> (7 - x % 8)) & 1;
            };
            const size_t xorPlane = 52, andPlane = 52 + size_t(stride) * size;
            int black = 0, white = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    if (bit(andPlane, x, y)) continue;
                    if (bit(xorPlane, x, y)) {
                        ++white;
                        continue;
                    }
                    ++black;
                    for (int ny = std::max(0, y - 1); ny <= std::min(size - 1, y + 1); ++ny)
                        for (int nx = std::max(0, x - 1); nx <= std::min(size - 1, x + 1); ++nx)
                            EXPECT_FALSE(bit(andPlane, nx, ny))
                                << "clear beside black at " << nx << "," << ny << " of the " << size << " target";
                }
            EXPECT_GT(black, 2 * size) << size;
            EXPECT_GT(white, black) << size;
        }
    }
}

// A string of the version resource: its UTF-16 key with the zero, padding to
// four bytes, then the value up to its zero.
std::string VersionValue(const std::vector<uint8_t>& block, const std::string& key) {
    std::vector<uint8_t> pattern;
    for (char c : key) pattern.insert(pattern.end(), {uint8_t(c), 0});
    pattern.insert(pattern.end(), {0, 0});
    const auto found = std::search(block.begin(), block.end(), pattern.begin(), pattern.end());
    if (found == block.end()) return "<no " + key + ">";
    std::string value;
    for (size_t at = (size_t(found - block.begin()) + pattern.size() + 3) & ~size_t(3);
         at + 1 < block.size() && (block[at] | block[at + 1]); at += 2)
        value.push_back(char(block[at]));
    return value;
}

// Both files carry the one version of the VERSION file, in the fixed numbers
// (after the 40-byte VS_VERSION_INFO header) and in the strings.
TEST_P(ProductBinaryTest, VersionResourceOfTheOneVersion) {
    const auto info = image_.Resource("#16", 1, kEnglishUs);
    ASSERT_TRUE(info.has_value()) << "no version resource";
    ASSERT_GE(info->size(), 92u);
    EXPECT_EQ(Long(*info, 40), 0xFEEF04BDu) << "VS_FIXEDFILEINFO signature";
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(TAVIREL_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    for (size_t at : {48, 56}) {  // file version, then product version: most significant words first
        EXPECT_EQ(Long(*info, at), major << 16 | minor) << at;
        EXPECT_EQ(Long(*info, at + 4), patch << 16) << at;
    }
    EXPECT_EQ(VersionValue(*info, "ProductName"), "Tavirel");
    EXPECT_EQ(VersionValue(*info, "FileVersion"), TAVIREL_VERSION);
    EXPECT_EQ(VersionValue(*info, "ProductVersion"), TAVIREL_VERSION);
    EXPECT_EQ(VersionValue(*info, "OriginalFilename"), GetParam().fileName);
    EXPECT_NE(VersionValue(*info, "FileDescription").find("Tavirel"), std::string::npos);
    EXPECT_NE(VersionValue(*info, "LegalCopyright").find("MIT"), std::string::npos);
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
