// The user's settings for one filter run and the 312-byte record that carries
// them in the host's parameter handle. Hues are tenths of a degree (0..3600);
// saturations, brightnesses and the range are tenths of a percent (0..1000).
#pragma once

#include <cstddef>
#include <cstdint>

#include "../../hostapi/HostInterface.h"

namespace tavirel {

struct FilterParameters {
    int32_t showDialog;       // non-zero: Start shows the parameter dialog first
    unsigned char name[256];  // counted string; bytes past the count carry no meaning
    int32_t sourceHue;
    int32_t sourceSaturation;
    int32_t sourceBrightness;
    int32_t destinationHue;
    int32_t destinationSaturation;
    int32_t destinationBrightness;
    int32_t range;
};

static_assert(sizeof(FilterParameters) == 288);
static_assert(offsetof(FilterParameters, name) == 4);
static_assert(offsetof(FilterParameters, sourceHue) == 260);
static_assert(offsetof(FilterParameters, range) == 284);

// The record in the host's parameter handle, in the machine's own byte order.
struct ParameterRecord {
    uint32_t signature;     // 'Tvr1'
    uint32_t recordType;    // 'Prms'
    int32_t formatVersion;  // 1
    uint32_t subtype;       // 'std '
    int32_t revision;       // 201
    int32_t reserved;       // 0
    FilterParameters parameters;
};

static_assert(sizeof(ParameterRecord) == 312);
static_assert(offsetof(ParameterRecord, parameters) == 24);

constexpr uint32_t kRecordSignature = FourCharCode("Tvr1");
constexpr uint32_t kRecordType = FourCharCode("Prms");
constexpr int32_t kRecordFormatVersion = 1;
constexpr uint32_t kRecordSubtype = FourCharCode("std ");
constexpr int32_t kRecordRevision = 201;

constexpr int32_t kHueMax = 3600;
constexpr int32_t kPercentMax = 1000;

// Colour selectors and component indexes for the indexed access.
constexpr int kSourceColour = 0;
constexpr int kDestinationColour = 1;
constexpr int kHueIndex = 0;
constexpr int kSaturationIndex = 1;
constexpr int kBrightnessIndex = 2;
constexpr int kRangeIndex = 4;

// The one process-wide instance every part of the plug-in reads.
extern FilterParameters currentParameters;

void SetDefaultParameters(FilterParameters* record);
// Each of the seven numbers is brought into its range; showDialog and name stay.
void ClampParameters(FilterParameters* record);
void WriteRecordHeader(ParameterRecord* record);

// Colour 1 is the Destination, any other value the Source; index 0 hue,
// 1 saturation, 2 brightness, 4 the range whatever the colour. Every other
// index reads as 0 and ignores writes. Both address currentParameters.
int32_t GetParameterComponent(int colour, int index);
void SetParameterComponent(int colour, int index, int32_t value);

// Copies showDialog, the length byte and counted characters of name, and the
// seven numbers.
void CopyFilterParameters(const FilterParameters& source, FilterParameters* destination);

}  // namespace tavirel
