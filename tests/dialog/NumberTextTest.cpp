// The dialog's number text: formatting, lenient reading, rounding, limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "plugin/dialog/NumberText.h"

namespace tavirel {
namespace {

std::string Decimal(float f, int digits) {
    unsigned char counted[256];
    FormatDecimal(f, digits, counted);
    return std::string(reinterpret_cast<char*>(counted + 1), counted[0]);
}

std::string Integer(int32_t n) {
    unsigned char counted[256];
    FormatInteger(n, counted);
    return std::string(reinterpret_cast<char*>(counted + 1), counted[0]);
}

float Parse(const std::string& text) {
    unsigned char counted[256];
    counted[0] = uint8_t(text.size());
    std::memcpy(counted + 1, text.data(), text.size());
    return ParseDecimal(counted);
}

TEST(NumberTextTest, Formatting) {
    EXPECT_EQ(Integer(0), "0");
    EXPECT_EQ(Integer(1600), "1600");
    EXPECT_EQ(Integer(-3), "-3");
    EXPECT_EQ(Integer(INT32_MIN), "-2147483648");
    EXPECT_EQ(Integer(INT32_MAX), "2147483647");
    EXPECT_EQ(Decimal(123.4f, 1), "123.4");
    EXPECT_EQ(Decimal(100.0f, 1), "100.0");
    EXPECT_EQ(Decimal(0.04f, 1), "0.0");
    EXPECT_EQ(Decimal(0.05f, 1), "0.1");
    EXPECT_EQ(Decimal(-2.5f, 1), "-2.5");
    EXPECT_EQ(Decimal(7.0f, 0), "7");
    EXPECT_EQ(Decimal(3.14159f, 3), "3.142");
    EXPECT_EQ(Decimal(1e20f, 1).substr(0, 10), "2147483520");  // no overflow, no exponent
}

TEST(NumberTextTest, LenientReading) {
    EXPECT_FLOAT_EQ(Parse("12.5"), 12.5f);
    EXPECT_FLOAT_EQ(Parse("12,5"), 12.5f);
    EXPECT_FLOAT_EQ(Parse(" +12.50"), 12.5f);
    EXPECT_FLOAT_EQ(Parse("\xCA\xCA-\xCA"
                          "7"),
                    -7.0f);  // byte 202 is a blank too
    EXPECT_FLOAT_EQ(Parse("1 2"), 12.0f);
    EXPECT_FLOAT_EQ(Parse("abc"), 0.0f);
    EXPECT_FLOAT_EQ(Parse("."), 0.0f);
    EXPECT_FLOAT_EQ(Parse("-3"), -3.0f);
    EXPECT_FLOAT_EQ(Parse("5-"), 5.0f);
    EXPECT_FLOAT_EQ(Parse(""), 0.0f);
    EXPECT_FLOAT_EQ(Parse(" "), 0.0f);
    EXPECT_FLOAT_EQ(Parse("-"), 0.0f);
    // A second separator counts the decimals afresh; the digits stay in the value.
    EXPECT_FLOAT_EQ(Parse("1.2.5"), 12.5f);
    EXPECT_FLOAT_EQ(Parse("50%"), 50.0f);
}

TEST(NumberTextTest, LongNumbersStopBefore32BitsPass) {
    EXPECT_FLOAT_EQ(Parse("2147483647"), 2147483647.0f);
    EXPECT_FLOAT_EQ(Parse("21474836479999"), 2147483647.0f);  // later digits dropped
    EXPECT_FLOAT_EQ(Parse("99999999999"), 999999999.0f);
    EXPECT_FLOAT_EQ(Parse("-99999999999"), -999999999.0f);
    EXPECT_FLOAT_EQ(Parse("1.00000000000000000001"), 1.0f);
    EXPECT_FLOAT_EQ(Parse("0.0000000000001"), 0.0f);
    const std::string longest(255, '9');
    EXPECT_FLOAT_EQ(Parse(longest), 999999999.0f);
}

TEST(NumberTextTest, NearestScaledRoundsHalvesUp) {
    EXPECT_EQ(NearestScaled(12.34f, 1), 123);
    EXPECT_EQ(NearestScaled(12.35f, 1), 124);
    EXPECT_EQ(NearestScaled(0.05f, 1), 1);
    EXPECT_EQ(NearestScaled(100.0f, 1), 1000);
    EXPECT_EQ(NearestScaled(360.0f, 1), 3600);
    EXPECT_EQ(NearestScaled(7.5f, 0), 8);
    EXPECT_EQ(NearestScaled(-0.04f, 1), 0);
    EXPECT_EQ(NearestScaled(1e30f, 1), INT32_MAX);
    EXPECT_EQ(NearestScaled(-1e30f, 1), INT32_MIN);
}

TEST(NumberTextTest, EveryValueTheDialogWritesReadsBack) {
    for (int32_t v = 0; v <= 3600; ++v) {
        const std::string text = Decimal(float(v) / 10.0f, 1);
        ASSERT_EQ(NearestScaled(Parse(text), 1), v) << text;
    }
}

TEST(NumberTextTest, EditClamping) {
    EXPECT_EQ(ClampEditInteger(true, 50, 0, 100).value, 50);
    EXPECT_TRUE(ClampEditInteger(true, 100, 0, 100).acceptable);
    EXPECT_EQ(ClampEditInteger(true, 101, 0, 100).value, 100);
    EXPECT_FALSE(ClampEditInteger(true, 101, 0, 100).acceptable);
    EXPECT_EQ(ClampEditInteger(true, -1, 0, 100).value, 0);
    EXPECT_EQ(ClampEditInteger(false, 77, 10, 100).value, 10);
    EXPECT_FALSE(ClampEditInteger(false, 77, 10, 100).acceptable);

    unsigned char text[256];
    auto set = [&](const char* s) {
        text[0] = uint8_t(std::strlen(s));
        std::memcpy(text + 1, s, text[0]);
    };
    set("50");
    EXPECT_TRUE(ClampEditDecimal(text, 0.0f, 100.0f).acceptable);
    set("100.0");
    EXPECT_TRUE(ClampEditDecimal(text, 0.0f, 100.0f).acceptable);  // a bound is accepted
    set("250");
    EXPECT_FLOAT_EQ(ClampEditDecimal(text, 0.0f, 100.0f).value, 100.0f);
    EXPECT_FALSE(ClampEditDecimal(text, 0.0f, 100.0f).acceptable);
    set("-4");
    EXPECT_FLOAT_EQ(ClampEditDecimal(text, 0.0f, 100.0f).value, 0.0f);
    set("");
    EXPECT_FALSE(ClampEditDecimal(text, 2.0f, 100.0f).acceptable);
    EXPECT_FLOAT_EQ(ClampEditDecimal(text, 2.0f, 100.0f).value, 2.0f);
    set("abc");  // reads as 0, below the minimum 2
    EXPECT_FLOAT_EQ(ClampEditDecimal(text, 2.0f, 100.0f).value, 2.0f);
}

}  // namespace
}  // namespace tavirel
