// Counted strings at their limits: empty, 255 characters, null arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/util/CountedString.h"
#include "plugin/util/ResultCodes.h"

namespace tavirel {
namespace {

std::string Text(const unsigned char* counted) {
    return std::string(reinterpret_cast<const char*>(counted + 1), counted[0]);
}

TEST(CountedStringTest, CopyMovesTheCountedBytesOnly) {
    unsigned char source[256] = {3, 'a', 'b', 'c', 'X'};
    unsigned char destination[256];
    std::memset(destination, 0xCC, sizeof destination);
    EXPECT_EQ(CopyCountedString(source, destination), kOk);
    EXPECT_EQ(Text(destination), "abc");
    EXPECT_EQ(destination[4], 0xCC);
    EXPECT_EQ(CopyCountedString(nullptr, destination), kParamErr);
    EXPECT_EQ(CopyCountedString(source, nullptr), kParamErr);
}

TEST(CountedStringTest, AppendStopsBeforeTheLimit) {
    unsigned char a[256], b[256];
    ASSERT_EQ(CountedFromText("Tavirel", a), kOk);
    ASSERT_EQ(CountedFromText(" I...", b), kOk);
    EXPECT_EQ(AppendCountedString(b, a), kOk);
    EXPECT_EQ(Text(a), "Tavirel I...");

    const std::string long254(254, 'x');
    ASSERT_EQ(CountedFromText(long254.c_str(), a), kOk);
    ASSERT_EQ(CountedFromText("y", b), kOk);
    EXPECT_EQ(AppendCountedString(b, a), kOk);  // 255: the longest there is
    EXPECT_EQ(a[0], 255);
    EXPECT_EQ(AppendCountedString(b, a), kStringTooLong);
    EXPECT_EQ(a[0], 255);  // nothing appended

    unsigned char empty[256] = {0};
    EXPECT_EQ(AppendCountedString(empty, b), kParamErr);
    EXPECT_EQ(AppendCountedString(nullptr, b), kParamErr);
    EXPECT_EQ(AppendCountedString(b, nullptr), kParamErr);
}

TEST(CountedStringTest, Equality) {
    unsigned char a[256] = {2, 'h', 'i', 'A'}, b[256] = {2, 'h', 'i', 'B'}, c[256] = {2, 'h', 'o'};
    EXPECT_TRUE(CountedStringsEqual(a, a));
    EXPECT_TRUE(CountedStringsEqual(a, b));  // bytes past the count do not matter
    EXPECT_FALSE(CountedStringsEqual(a, c));
    EXPECT_FALSE(CountedStringsEqual(a, nullptr));
    EXPECT_FALSE(CountedStringsEqual(nullptr, nullptr));
    unsigned char shorter[256] = {1, 'h'};
    EXPECT_FALSE(CountedStringsEqual(a, shorter));
}

TEST(CountedStringTest, TextConversionsCutAtTheirLimits) {
    unsigned char counted[256];
    const std::string long300(300, 'z');
    EXPECT_EQ(CountedFromText(long300.c_str(), counted), kOk);
    EXPECT_EQ(counted[0], 255);
    EXPECT_EQ(CountedFromText("", counted), kOk);
    EXPECT_EQ(counted[0], 0);
    EXPECT_EQ(CountedFromText(nullptr, counted), kParamErr);

    ASSERT_EQ(CountedFromText("abcdef", counted), kOk);
    char text[4];
    EXPECT_EQ(TextFromCounted(counted, text, sizeof text), kOk);
    EXPECT_STREQ(text, "abc");
    char one[1] = {'q'};
    EXPECT_EQ(TextFromCounted(counted, one, 1), kOk);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(TextFromCounted(counted, text, 0), kParamErr);
    EXPECT_EQ(TextFromCounted(nullptr, text, 4), kParamErr);
}

}  // namespace
}  // namespace tavirel
