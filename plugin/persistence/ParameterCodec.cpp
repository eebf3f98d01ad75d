#include "ParameterCodec.h"

#include <cstring>

#include "../util/ByteOrder.h"

namespace tavirel {
namespace {

void Put(unsigned char* file, size_t offset, int32_t v) { StoreBigEndian32(file + offset, uint32_t(v)); }
int32_t Get(const unsigned char* file, size_t offset) { return int32_t(LoadBigEndian32(file + offset)); }

}  // namespace

void EncodeFileRecord(const RecordHeader& header, const FilterParameters& p, unsigned char* file) {
    using namespace fileoffset;
    std::memset(file, 0, kFileRecordSize);
    StoreBigEndian32(file + signature, header.signature);
    StoreBigEndian32(file + recordType, header.recordType);
    Put(file, formatVersion, header.formatVersion);
    StoreBigEndian32(file + subtype, header.subtype);
    Put(file, revision, header.revision);
    Put(file, reserved, header.reserved);
    Put(file, showDialog, p.showDialog);
    std::memcpy(file + name, p.name, size_t(p.name[0]) + 1);
    Put(file, sourceHue, p.sourceHue);
    Put(file, sourceSaturation, p.sourceSaturation);
    Put(file, sourceBrightness, p.sourceBrightness);
    Put(file, destinationHue, p.destinationHue);
    Put(file, destinationSaturation, p.destinationSaturation);
    Put(file, destinationBrightness, p.destinationBrightness);
    Put(file, range, p.range);
}

RecordHeader DecodeFileHeader(const unsigned char* file) {
    using namespace fileoffset;
    return {LoadBigEndian32(file + signature),
            LoadBigEndian32(file + recordType),
            Get(file, formatVersion),
            LoadBigEndian32(file + subtype),
            Get(file, revision),
            Get(file, reserved)};
}

void DecodeFileParameters(const unsigned char* file, FilterParameters* p) {
    using namespace fileoffset;
    p->showDialog = Get(file, showDialog);
    std::memcpy(p->name, file + name, size_t(file[name]) + 1);
    p->sourceHue = Get(file, sourceHue);
    p->sourceSaturation = Get(file, sourceSaturation);
    p->sourceBrightness = Get(file, sourceBrightness);
    p->destinationHue = Get(file, destinationHue);
    p->destinationSaturation = Get(file, destinationSaturation);
    p->destinationBrightness = Get(file, destinationBrightness);
    p->range = Get(file, range);
}

RecordHeader HeaderOf(const ParameterRecord& r) {
    return {r.signature, r.recordType, r.formatVersion, r.subtype, r.revision, r.reserved};
}

RecordHeader StandardHeader() {
    return {kRecordSignature, kRecordType, kRecordFormatVersion, kRecordSubtype, kRecordRevision, 0};
}

bool IsAcceptableFileRecord(const unsigned char* file, size_t size) {
    if (file == nullptr || size < kFileRecordSize) return false;
    const RecordHeader h = DecodeFileHeader(file);
    return h.signature == kRecordSignature && h.recordType == kRecordType && h.formatVersion == kRecordFormatVersion;
}

}  // namespace tavirel
