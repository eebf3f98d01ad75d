// Which documents a plug-in takes, from property lists built here: the 'mode'
// flag set bit by bit, an 'enbl' expression over it, and what neither decides.
#include <gtest/gtest.h>

#include <cstring>

#include "filterhost/lib/PluginModes.h"
#include "hostapi/HostInterface.h"

namespace filterhost {
namespace {

PiplProperty Property(const char (&key)[5], std::vector<uint8_t> data) {
    PiplProperty p;
    p.vendor = FourCharCode("8BIM");
    p.key = FourCharCode(key);
    p.length = uint32_t(data.size());
    p.data = std::move(data);
    return p;
}

Pipl WithModes(std::vector<uint8_t> flags) {
    Pipl pipl;
    pipl.properties.push_back(Property("mode", std::move(flags)));
    return pipl;
}

void AddExpression(Pipl* pipl, const char* text) {
    std::vector<uint8_t> data(text, text + std::strlen(text) + 1);
    while (data.size() % 4 != 0) data.push_back(0);
    pipl->properties.push_back(Property("enbl", std::move(data)));
}

constexpr int kNaturalDepth[18] = {1, 8, 8, 8, 8, 8, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 32, 32};

TEST(PluginModesTest, EachFlagTakesExactlyItsMode) {
    // Bit 7 of byte 0 is mode 0; bit 0 of byte 1 is mode 15; byte 2 holds 16 and 17.
    for (int mode = 0; mode < 18; ++mode) {
        std::vector<uint8_t> flags(4, 0);
        flags[size_t(mode / 8)] = uint8_t(0x80 >> (mode % 8));
        const Pipl pipl = WithModes(flags);
        for (int other = 0; other < 18; ++other)
            EXPECT_EQ(PluginTakesMode(pipl, other, kNaturalDepth[other]), other == mode) << mode << " " << other;
    }
    // A flag set too short for a mode does not take it.
    EXPECT_FALSE(PluginTakesMode(WithModes({0xFF, 0xFF}), 16, 32));
    EXPECT_TRUE(PluginTakesMode(WithModes({0xFF, 0xFF}), 15, 16));
    // Neither property: nothing to refuse by.
    EXPECT_TRUE(PluginTakesMode(Pipl{}, plugInModeGrayScale, 8));
}

TEST(PluginModesTest, TheExpressionSupersedesTheFlags) {
    // RGB alone in the flags, RGB48 too in the expression (as Tavirel has them).
    Pipl pipl = WithModes({0x10, 0x00});
    AddExpression(&pipl, "in (PSHOP_ImageMode, RGBMode, RGB48Mode)");
    for (int mode = 0; mode < 18; ++mode)
        EXPECT_EQ(PluginTakesMode(pipl, mode, kNaturalDepth[mode]), mode == 3 || mode == 11) << mode;

    // An expression we cannot read leaves the decision to the flags.
    Pipl unreadable = WithModes({0x50, 0x00});  // grey and RGB
    AddExpression(&unreadable, "in (PSHOP_ImageMode, RGBMode) && PSHOP_IsTargetComposite");
    EXPECT_TRUE(PluginTakesMode(unreadable, plugInModeGrayScale, 8));
    EXPECT_TRUE(PluginTakesMode(unreadable, plugInModeRGBColor, 8));
    EXPECT_FALSE(PluginTakesMode(unreadable, plugInModeRGB48, 16));
}

TEST(PluginModesTest, ExpressionsReadLikeC) {
    struct Case {
        const char* text;
        int mode, depth;
        bool readable, enabled;
    };
    const Case cases[] = {
        {"true", 1, 8, true, true},
        {"false", 3, 8, true, false},
        {"in (PSHOP_ImageMode, GrayScaleMode, Gray16Mode)", 10, 16, true, true},
        {"in(PSHOP_ImageMode,GRAYSCALEMODE)", 1, 8, true, true},  // names in any case, no spaces
        {"in (PSHOP_ImageMode, RGBMode) && PSHOP_ImageDepth == 8", 3, 8, true, true},
        {"in (PSHOP_ImageMode, RGBMode) && PSHOP_ImageDepth == 8", 3, 16, true, false},
        {"PSHOP_ImageMode == RGBMode || PSHOP_ImageMode == LabMode", 9, 8, true, true},
        {"PSHOP_ImageDepth >= 16 && PSHOP_ImageDepth <= 16", 11, 16, true, true},
        {"PSHOP_ImageDepth > 8", 3, 8, true, false},
        {"PSHOP_ImageDepth < 16 && PSHOP_ImageDepth != 1", 0, 1, true, false},
        {"!in (PSHOP_ImageMode, BitmapMode, IndexedMode)", 2, 8, true, false},
        {"!in (PSHOP_ImageMode, BitmapMode, IndexedMode)", 4, 8, true, true},
        {"!PSHOP_ImageDepth == 1", 3, 8, true, false},  // (!8) == 1, as in C, not !(8 == 1)
        {"(false || true) && !(false)", 3, 8, true, true},
        {"in (PSHOP_ImageMode, RGBMode", 3, 8, false, false},
        {"in (PSHOP_ImageMode, RGBMode) extra", 3, 8, false, false},
        {"PSHOP_ImageMode = 3", 3, 8, false, false},
        {"PSHOP_HasSelection", 3, 8, false, false},
        {"", 3, 8, false, false},
    };
    for (const Case& c : cases) {
        bool enabled = !c.enabled;
        EXPECT_EQ(EvaluateEnableExpression(c.text, c.mode, c.depth, &enabled), c.readable) << c.text;
        if (c.readable) {
            EXPECT_EQ(enabled, c.enabled) << c.text << " for mode " << c.mode << ", " << c.depth << " bits";
        }
    }
}

TEST(PluginModesTest, TheRefusalNamesTheModeAndWhatIsTaken) {
    Pipl pipl = WithModes({0x10, 0x00});
    AddExpression(&pipl, "in (PSHOP_ImageMode, RGBMode, RGB48Mode)");
    EXPECT_EQ(ModeRefusal(pipl, plugInModeRGBColor, 8), "");
    EXPECT_EQ(ModeRefusal(pipl, plugInModeGray16, 16),
              "the plug-in does not support grey images (image mode 10, Gray16, 16 bits a sample); "
              "it takes RGBColor and RGB48 documents");
    EXPECT_EQ(ModeRefusal(WithModes({0x00, 0x00}), plugInModeCMYKColor, 8),
              "the plug-in does not support CMYK images (image mode 4, CMYKColor, 8 bits a sample); "
              "it names no image mode it takes");
    EXPECT_EQ(ModeRefusal(WithModes({0x1C, 0x00}), plugInModeGrayScale, 8),
              "the plug-in does not support grey images (image mode 1, GrayScale, 8 bits a sample); "
              "it takes RGBColor, CMYKColor and HSLColor documents");
}

}  // namespace
}  // namespace filterhost
