// The file form of the 312-byte ParameterRecord: every 32-bit field most
// significant byte first, four-character codes as their characters in order.
// Of name only the length byte and the counted characters move; every other
// byte of a file record we write is zero. docs/parameter-record.md has the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../filter/FilterParameters.h"

namespace tavirel {

constexpr size_t kFileRecordSize = 312;

namespace fileoffset {
constexpr size_t signature = 0, recordType = 4, formatVersion = 8, subtype = 12, revision = 16, reserved = 20,
                 showDialog = 24, name = 28, sourceHue = 284, sourceSaturation = 288, sourceBrightness = 292,
                 destinationHue = 296, destinationSaturation = 300, destinationBrightness = 304, range = 308;
}  // namespace fileoffset

// The file offsets are the in-memory offsets: only the byte order differs.
static_assert(fileoffset::name == offsetof(ParameterRecord, parameters.name));
static_assert(fileoffset::sourceHue == offsetof(ParameterRecord, parameters.sourceHue));
static_assert(fileoffset::range == offsetof(ParameterRecord, parameters.range));
static_assert(fileoffset::range + 4 == kFileRecordSize);

struct RecordHeader {
    uint32_t signature, recordType;
    int32_t formatVersion;
    uint32_t subtype;
    int32_t revision, reserved;
};

// Writes all 312 bytes: zeros, then the header and the parameters.
void EncodeFileRecord(const RecordHeader& header, const FilterParameters& parameters, unsigned char* file);
RecordHeader DecodeFileHeader(const unsigned char* file);
// Every field, showDialog and name included, from a 312-byte file record.
void DecodeFileParameters(const unsigned char* file, FilterParameters* parameters);

RecordHeader HeaderOf(const ParameterRecord& record);
RecordHeader StandardHeader();

// Whether a file's bytes carry our settings: at least 312 bytes, signature
// 'Tvr1', type 'Prms', version 1 (subtype, revision and reserved are not read).
bool IsAcceptableFileRecord(const unsigned char* file, size_t size);

}  // namespace tavirel
