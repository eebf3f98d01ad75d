#include "FilterParameters.h"

#include <cstring>

#include "../util/CountedString.h"

namespace tavirel {

FilterParameters currentParameters;

namespace {

constexpr char kDefaultName[] = "Untitled parameters";

int32_t Clamp(int32_t v, int32_t high) { return v < 0 ? 0 : (v > high ? high : v); }

int32_t* ComponentField(FilterParameters& p, int colour, int index) {
    const bool destination = colour == kDestinationColour;
    switch (index) {
        case kHueIndex: return destination ? &p.destinationHue : &p.sourceHue;
        case kSaturationIndex: return destination ? &p.destinationSaturation : &p.sourceSaturation;
        case kBrightnessIndex: return destination ? &p.destinationBrightness : &p.sourceBrightness;
        case kRangeIndex: return &p.range;
        default: return nullptr;
    }
}

}  // namespace

void SetDefaultParameters(FilterParameters* record) {
    record->showDialog = 1;
    CountedFromText(kDefaultName, record->name);
    record->sourceHue = 0;
    record->sourceSaturation = 1000;
    record->sourceBrightness = 1000;
    record->destinationHue = 1800;
    record->destinationSaturation = 500;
    record->destinationBrightness = 500;
    record->range = 500;
}

void ClampParameters(FilterParameters* record) {
    record->sourceHue = Clamp(record->sourceHue, kHueMax);
    record->sourceSaturation = Clamp(record->sourceSaturation, kPercentMax);
    record->sourceBrightness = Clamp(record->sourceBrightness, kPercentMax);
    record->destinationHue = Clamp(record->destinationHue, kHueMax);
    record->destinationSaturation = Clamp(record->destinationSaturation, kPercentMax);
    record->destinationBrightness = Clamp(record->destinationBrightness, kPercentMax);
    record->range = Clamp(record->range, kPercentMax);
}

void WriteRecordHeader(ParameterRecord* record) {
    record->signature = kRecordSignature;
    record->recordType = kRecordType;
    record->formatVersion = kRecordFormatVersion;
    record->subtype = kRecordSubtype;
    record->revision = kRecordRevision;
    record->reserved = 0;
}

int32_t GetParameterComponent(int colour, int index) {
    const int32_t* field = ComponentField(currentParameters, colour, index);
    return field ? *field : 0;
}

void SetParameterComponent(int colour, int index, int32_t value) {
    if (int32_t* field = ComponentField(currentParameters, colour, index)) *field = value;
}

void CopyFilterParameters(const FilterParameters& source, FilterParameters* destination) {
    if (&source == destination) return;
    destination->showDialog = source.showDialog;
    CopyCountedString(source.name, destination->name);
    destination->sourceHue = source.sourceHue;
    destination->sourceSaturation = source.sourceSaturation;
    destination->sourceBrightness = source.sourceBrightness;
    destination->destinationHue = source.destinationHue;
    destination->destinationSaturation = source.destinationSaturation;
    destination->destinationBrightness = source.destinationBrightness;
    destination->range = source.range;
}

}  // namespace tavirel
