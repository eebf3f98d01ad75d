#include "ActionDescriptor.h"

#include <cmath>

#include "../host/HandleSuite.h"
#include "../util/ResultCodes.h"

namespace tavirel {
namespace {

// A descriptor holds each key once; a host that reports more keys than
// that is looping, and the read stops there.
constexpr int kMostKeysRead = 64;

const DescriptorField* FieldFor(DescriptorKeyID key) {
    for (const DescriptorField& f : kDescriptorFields)
        if (f.key == key) return &f;
    return nullptr;
}

const PIDescriptorParameters* Descriptors(const FilterRecord* record) {
    return record != nullptr ? record->descriptorParameters : nullptr;
}

}  // namespace

double DescriptorNumber(int32_t tenths) { return tenths / 10.0; }

bool ApplyDescriptorValue(const DescriptorValue& value, FilterParameters* parameters) {
    const DescriptorField* field = FieldFor(value.key);
    if (field == nullptr) return false;
    const bool fits = value.type == typeFloat || value.type == typeInteger ||
                      (value.type == typeUnitFloat && value.unit == field->unit);
    if (!fits || std::isnan(value.number)) return false;
    // Bounded first, so that the conversion to tenths cannot overflow; the
    // bounds lie far outside every range.
    const double tenths = std::fmin(std::fmax(value.number * 10.0, -1e6), 1e6);
    int32_t v = int32_t(std::lround(tenths));
    v = v < 0 ? 0 : v > field->max ? field->max : v;
    parameters->*(field->value) = v;
    return true;
}

PlaybackDialog PlaybackDialogFor(const FilterRecord* record, bool descriptorRead) {
    const PIDescriptorParameters* d = Descriptors(record);
    if (d == nullptr) return PlaybackDialog::AsRecord;
    if (d->playInfo == plugInDialogSilent) return PlaybackDialog::Hide;
    if (!descriptorRead) return PlaybackDialog::AsRecord;
    return d->playInfo == plugInDialogDisplay ? PlaybackDialog::Show : PlaybackDialog::Hide;
}

bool DescriptorReadable(const FilterRecord* record) {
    const PIDescriptorParameters* d = Descriptors(record);
    if (d == nullptr || d->descriptorParametersVersion > kCurrentDescriptorParametersVersion) return false;
    const ReadDescriptorProcs* p = d->readDescriptorProcs;
    // The procs used run up to getUnitFloatProc, the sixth.
    return p != nullptr && p->readDescriptorProcsVersion == kCurrentReadDescriptorProcsVersion &&
           p->numReadDescriptorProcs >= 6 && p->openReadDescriptorProc != nullptr &&
           p->closeReadDescriptorProc != nullptr && p->getKeyProc != nullptr && p->getIntegerProc != nullptr &&
           p->getFloatProc != nullptr && p->getUnitFloatProc != nullptr;
}

bool DescriptorWritable(const FilterRecord* record) {
    const PIDescriptorParameters* d = Descriptors(record);
    if (d == nullptr || d->descriptorParametersVersion > kCurrentDescriptorParametersVersion) return false;
    const WriteDescriptorProcs* p = d->writeDescriptorProcs;
    // The procs used run up to putUnitFloatProc, the fifth.
    return p != nullptr && p->writeDescriptorProcsVersion == kCurrentWriteDescriptorProcsVersion &&
           p->numWriteDescriptorProcs >= 5 && p->openWriteDescriptorProc != nullptr &&
           p->closeWriteDescriptorProc != nullptr && p->putUnitFloatProc != nullptr;
}

bool ReadActionDescriptor(const FilterRecord* record, FilterParameters* parameters) {
    if (!DescriptorReadable(record) || record->descriptorParameters->descriptor == nullptr) return false;
    const ReadDescriptorProcs& procs = *record->descriptorParameters->readDescriptorProcs;
    // Writable: a host marks each key it finds in this array.
    DescriptorKeyID expected[kDescriptorFieldCount + 1];
    for (int i = 0; i < kDescriptorFieldCount; ++i) expected[i] = kDescriptorFields[i].key;
    expected[kDescriptorFieldCount] = 0;
    PIReadDescriptor token = procs.openReadDescriptorProc(record->descriptorParameters->descriptor, expected);
    if (token == nullptr) return false;
    for (int read = 0; read < kMostKeysRead; ++read) {
        DescriptorKeyID key = 0;
        DescriptorTypeID type = 0;
        int32 flags = 0;
        if (!procs.getKeyProc(token, &key, &type, &flags)) break;
        // Only the getter of the reported type is called: hosts do not all
        // check, and some fail outright on a mismatch.
        if (FieldFor(key) == nullptr) continue;
        DescriptorValue value{key, type, 0, 0.0};
        OSErr got = paramErr;
        if (type == typeUnitFloat) {
            got = procs.getUnitFloatProc(token, &value.unit, &value.number);
        } else if (type == typeFloat) {
            got = procs.getFloatProc(token, &value.number);
        } else if (type == typeInteger) {
            int32 whole = 0;
            got = procs.getIntegerProc(token, &whole);
            value.number = whole;
        }
        if (got == noErr || got == coercedParamErr) ApplyDescriptorValue(value, parameters);
    }
    // A missing key is no failure (its field keeps the record's value), so
    // what the close reports about the key array changes nothing.
    procs.closeReadDescriptorProc(token);
    return true;
}

int WriteActionDescriptor(const FilterRecord* record, const FilterParameters& parameters) {
    if (!DescriptorWritable(record)) return kOk;
    PIDescriptorParameters& d = *record->descriptorParameters;
    const WriteDescriptorProcs& procs = *d.writeDescriptorProcs;
    PIWriteDescriptor token = procs.openWriteDescriptorProc();
    if (token == nullptr) return kOk;  // the host records nothing this time
    OSErr code = noErr;
    for (const DescriptorField& f : kDescriptorFields) {
        const real64 number = DescriptorNumber(parameters.*(f.value));
        if (code == noErr) code = procs.putUnitFloatProc(token, f.key, f.unit, &number);
    }
    // Closed whatever happened, so the host can let the token go.
    PIDescriptorHandle written = nullptr;
    const OSErr closed = procs.closeWriteDescriptorProc(token, &written);
    if (code == noErr) code = closed;
    if (code != noErr || written == nullptr) {
        if (written != nullptr) DisposeHostHandle(record, written);
        return code != noErr ? code : kNilHandle;
    }
    if (d.descriptor != nullptr) DisposeHostHandle(record, d.descriptor);
    d.descriptor = written;
    d.recordInfo = plugInDialogOptional;
    return kOk;
}

}  // namespace tavirel
