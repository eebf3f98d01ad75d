// Property lists: found properties, entry point, and lists that lie about their size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filterhost/lib/PiplReader.h"
#include "hostapi/HostInterface.h"

namespace filterhost {
namespace {

TEST(PiplReaderTest, FindsKindAndEntryPoint) {
    // Data pads to four bytes from the start of each datum.
    std::vector<uint8_t> bytes = {1, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    auto word = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    };
    word(FourCharCode("8BIM"));
    word(FourCharCode("kind"));
    word(0);
    word(4);
    word(FourCharCode("8BFM"));
    word(FourCharCode("8BIM"));
    word(FourCharCode("wx86"));
    word(0);
    word(6);
    for (char c : std::string("Entry\0\0\0", 8)) bytes.push_back(uint8_t(c));
    Pipl pipl;
    std::string error;
    ASSERT_TRUE(ParsePipl(bytes.data(), bytes.size(), &pipl, &error)) << error;
    ASSERT_EQ(pipl.properties.size(), 2u);
    EXPECT_EQ(pipl.Kind(), FourCharCode("8BFM"));
    EXPECT_EQ(pipl.EntryPointName(), "Entry");
    EXPECT_EQ(FourCharText(FourCharCode("wx86")), "wx86");

    // A list that promises more properties than it holds, or a datum that
    // runs past the end, is refused rather than read beyond the bytes.
    bytes[6] = 3;
    EXPECT_FALSE(ParsePipl(bytes.data(), bytes.size(), &pipl, &error));
    bytes[6] = 2;
    EXPECT_FALSE(ParsePipl(bytes.data(), bytes.size() - 5, &pipl, &error));
    EXPECT_FALSE(ParsePipl(bytes.data(), 6, &pipl, &error));
}

}  // namespace
}  // namespace filterhost
