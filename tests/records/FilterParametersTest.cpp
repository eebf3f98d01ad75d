// The settings record: defaults, clamping and the indexed access.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "plugin/filter/FilterParameters.h"

namespace tavirel {
namespace {

TEST(FilterParametersTest, Defaults) {
    FilterParameters p;
    std::memset(&p, 0x5A, sizeof p);
    SetDefaultParameters(&p);
    EXPECT_EQ(p.showDialog, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p.name + 1), p.name[0]), "Untitled parameters");
    EXPECT_EQ(p.sourceHue, 0);
    EXPECT_EQ(p.sourceSaturation, 1000);
    EXPECT_EQ(p.sourceBrightness, 1000);
    EXPECT_EQ(p.destinationHue, 1800);
    EXPECT_EQ(p.destinationSaturation, 500);
    EXPECT_EQ(p.destinationBrightness, 500);
    EXPECT_EQ(p.range, 500);
}

TEST(FilterParametersTest, ClampBringsEveryNumberIntoItsRange) {
    FilterParameters p;
    SetDefaultParameters(&p);
    p.showDialog = -3;
    p.sourceHue = INT_MIN;
    p.destinationHue = 3601;
    p.sourceSaturation = 1001;
    p.sourceBrightness = -1;
    p.destinationSaturation = INT_MAX;
    p.destinationBrightness = 1000;
    p.range = -1000;
    ClampParameters(&p);
    EXPECT_EQ(p.sourceHue, 0);
    EXPECT_EQ(p.destinationHue, 3600);
    EXPECT_EQ(p.sourceSaturation, 1000);
    EXPECT_EQ(p.sourceBrightness, 0);
    EXPECT_EQ(p.destinationSaturation, 1000);
    EXPECT_EQ(p.destinationBrightness, 1000);
    EXPECT_EQ(p.range, 0);
    EXPECT_EQ(p.showDialog, -3);  // not a number with a range
}

TEST(FilterParametersTest, IndexedAccess) {
    SetDefaultParameters(&currentParameters);
    EXPECT_EQ(GetParameterComponent(kDestinationColour, kHueIndex), 1800);
    EXPECT_EQ(GetParameterComponent(kSourceColour, kSaturationIndex), 1000);
    EXPECT_EQ(GetParameterComponent(-4, kHueIndex), 0);  // any colour but 1 is the Source
    EXPECT_EQ(GetParameterComponent(kDestinationColour, kRangeIndex), 500);
    EXPECT_EQ(GetParameterComponent(kSourceColour, 3), 0);
    EXPECT_EQ(GetParameterComponent(kSourceColour, 99), 0);

    SetParameterComponent(kDestinationColour, kBrightnessIndex, 123);
    SetParameterComponent(7, kHueIndex, 456);
    SetParameterComponent(kSourceColour, 3, 999);  // ignored
    EXPECT_EQ(currentParameters.destinationBrightness, 123);
    EXPECT_EQ(currentParameters.sourceHue, 456);
    SetParameterComponent(kSourceColour, kRangeIndex, 42);
    EXPECT_EQ(currentParameters.range, 42);
    FilterParameters copy;
    std::memset(&copy, 0, sizeof copy);
    CopyFilterParameters(currentParameters, &copy);
    EXPECT_EQ(copy.range, 42);
    EXPECT_EQ(copy.name[0], currentParameters.name[0]);
    EXPECT_EQ(std::memcmp(copy.name, currentParameters.name, copy.name[0] + 1), 0);
    CopyFilterParameters(copy, &copy);  // copying onto itself changes nothing
    EXPECT_EQ(copy.sourceHue, 456);
}

TEST(FilterParametersTest, RecordHeader) {
    ParameterRecord record;
    std::memset(&record, 0xFF, sizeof record);
    WriteRecordHeader(&record);
    EXPECT_EQ(record.signature, FourCharCode("Tvr1"));
    EXPECT_EQ(record.recordType, FourCharCode("Prms"));
    EXPECT_EQ(record.formatVersion, 1);
    EXPECT_EQ(record.subtype, FourCharCode("std "));
    EXPECT_EQ(record.revision, 201);
    EXPECT_EQ(record.reserved, 0);
}

}  // namespace
}  // namespace tavirel
