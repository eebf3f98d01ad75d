// Tavirel's settings as a host records them in an action and hands them back
// when the action plays: a descriptor of seven unit floats, one key each.
// Hues go in degrees ('#Ang'), saturations, brightnesses and the range in
// percent ('#Prc'); the record keeps tenths of either, so a descriptor value
// is the record's value / 10. The terminology resource (resources/
// Terminology.rc) names the same keys and types for the Actions panel.
#pragma once

#include <cstdint>

#include "../../hostapi/HostInterface.h"
#include "FilterParameters.h"

namespace tavirel {

// The event the 'hstm' property and the terminology announce.
constexpr uint32_t kTerminologyClass = FourCharCode("Fltr");
constexpr uint32_t kTerminologyEvent = FourCharCode("TvrI");
constexpr uint32_t kTerminologySuite = FourCharCode("zlvr");
constexpr int kTerminologyResource = 16000;

struct DescriptorField {
    DescriptorKeyID key;
    DescriptorUnitID unit;
    int32_t FilterParameters::*value;
    int32_t max;  // in tenths; every minimum is 0
};

constexpr int kDescriptorFieldCount = 7;
constexpr DescriptorField kDescriptorFields[kDescriptorFieldCount] = {
    {FourCharCode("TvSH"), unitAngle, &FilterParameters::sourceHue, kHueMax},
    {FourCharCode("TvSS"), unitPercent, &FilterParameters::sourceSaturation, kPercentMax},
    {FourCharCode("TvSB"), unitPercent, &FilterParameters::sourceBrightness, kPercentMax},
    {FourCharCode("TvDH"), unitAngle, &FilterParameters::destinationHue, kHueMax},
    {FourCharCode("TvDS"), unitPercent, &FilterParameters::destinationSaturation, kPercentMax},
    {FourCharCode("TvDB"), unitPercent, &FilterParameters::destinationBrightness, kPercentMax},
    {FourCharCode("TvRn"), unitPercent, &FilterParameters::range, kPercentMax},
};

// One stored value as the host reports it. number holds an integer's value
// too; unit is read only for unit floats.
struct DescriptorValue {
    DescriptorKeyID key;
    DescriptorTypeID type;
    DescriptorUnitID unit;
    double number;
};

// The value written for a field holding `tenths`.
double DescriptorNumber(int32_t tenths);

// Takes one value into `parameters` when its key is one of the seven and its
// type fits: a unit float in the field's own unit, or a plain float or
// integer read in that unit. The value is rounded to tenths, half away from
// zero, and clamped to the field's range; NaN is refused. true when taken.
bool ApplyDescriptorValue(const DescriptorValue& value, FilterParameters* parameters);

// Which way a playing action asks Start to go.
enum class PlaybackDialog {
    AsRecord,  // no playback, or nothing read: the record's showDialog decides
    Show,      // the dialog opens on the values read
    Hide,      // no window: filter at once
};

// descriptorRead: a descriptor was handed over and read. The host's playInfo
// counts only then, except that a silent playback never opens a window.
PlaybackDialog PlaybackDialogFor(const FilterRecord* record, bool descriptorRead);

// Whether the host's read or write procs can be used: descriptorParameters
// present, the table present at version 0, and the procs Tavirel calls
// counted and non-null.
bool DescriptorReadable(const FilterRecord* record);
bool DescriptorWritable(const FilterRecord* record);

// The descriptor the host passes, read into `parameters`: each known key of
// a fitting type replaces that field, every other field keeps its value.
// true when a descriptor was read (even one holding none of the keys).
bool ReadActionDescriptor(const FilterRecord* record, FilterParameters* parameters);

// The seven values as a new descriptor in descriptorParameters (the old one
// disposed) with recordInfo plugInDialogOptional, so the host can record the
// step. 0 as well when the host has no write procs (nothing is written);
// otherwise the first failing proc's code, the old descriptor then kept.
int WriteActionDescriptor(const FilterRecord* record, const FilterParameters& parameters);

}  // namespace tavirel
