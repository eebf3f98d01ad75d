#include "DescriptorSuite.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>

#include "HostHandles.h"

namespace filterhost {
namespace {

constexpr char kHeader[] = "filterhost descriptor 1";

struct Reader {
    Descriptor descriptor;
    size_t next = 0;
    const DescriptorItem* current = nullptr;  // the item the last GetKey reported
    DescriptorKeyID* expected = nullptr;      // the plug-in's key array, ended by 0
    OSErr lastError = noErr;
};

struct Writer {
    Descriptor descriptor;
};

std::set<Reader*> readers;
std::set<Writer*> writers;
DescriptorCounts counts;

// --- The text form ---------------------------------------------------------

std::string CodeText(uint32_t code) {
    char c[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
    bool printable = true;
    for (char ch : c) printable = printable && ch >= 0x20 && ch <= 0x7E;
    char out[16];
    if (printable)
        std::snprintf(out, sizeof out, "'%c%c%c%c'", c[0], c[1], c[2], c[3]);
    else
        std::snprintf(out, sizeof out, "0x%08X", unsigned(code));
    return out;
}

// The shortest of 15 to 17 significant digits that reads back as the same
// double: 123.4, not 123.40000000000001.
std::string NumberText(double value) {
    char text[64];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::string TypeText(uint32_t type) {
    std::string t = CodeText(type);
    return t.front() == '\'' ? t.substr(1, 4) : t;
}

void SkipSpaces(const std::string& line, size_t* at) {
    while (*at < line.size() && line[*at] == ' ') ++*at;
}

std::string Word(const std::string& line, size_t* at) {
    SkipSpaces(line, at);
    const size_t start = *at;
    while (*at < line.size() && line[*at] != ' ') ++*at;
    return line.substr(start, *at - start);
}

bool ParseCode(const std::string& line, size_t* at, uint32_t* code) {
    SkipSpaces(line, at);
    if (*at < line.size() && line[*at] == '\'') {
        if (*at + 5 >= line.size() || line[*at + 5] != '\'') return false;
        *code = 0;
        for (size_t i = 1; i <= 4; ++i) *code = (*code << 8) | uint8_t(line[*at + i]);
        *at += 6;
        return true;
    }
    const std::string w = Word(line, at);
    if (w.size() != 10 || w.compare(0, 2, "0x") != 0) return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(w.c_str() + 2, &end, 16);
    if (*end != '\0') return false;
    *code = uint32_t(v);
    return true;
}

bool ParseNumber(const std::string& w, double* value) {
    if (w.empty()) return false;
    char* end = nullptr;
    *value = std::strtod(w.c_str(), &end);
    return *end == '\0';
}

bool ParseInteger(const std::string& w, int32_t* value) {
    if (w.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(w.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    *value = int32_t(v);
    return true;
}

bool ParseHex(const std::string& w, std::vector<uint8_t>* bytes) {
    if (w.size() % 2 != 0) return false;
    for (size_t i = 0; i < w.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = w.substr(i, 2);
        const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0' || pair[0] == '-' || pair[0] == '+' || pair[0] == ' ') return false;
        bytes->push_back(uint8_t(v));
    }
    return true;
}

bool ParseItem(const std::string& line, DescriptorItem* item, std::string* why) {
    size_t at = 0;
    if (!ParseCode(line, &at, &item->key)) return *why = "no key ('abcd' or 0x12345678) first", false;
    const std::string typeWord = Word(line, &at);
    if (typeWord == "long" || typeWord == "bool") {
        item->type = typeWord == "long" ? typeInteger : typeBoolean;
        if (!ParseInteger(Word(line, &at), &item->integer)) return *why = "no 32-bit integer", false;
        if (item->type == typeBoolean && item->integer != 0 && item->integer != 1)
            return *why = "a boolean is 0 or 1", false;
    } else if (typeWord == "doub") {
        item->type = typeFloat;
        if (!ParseNumber(Word(line, &at), &item->number)) return *why = "no number", false;
    } else if (typeWord == "UntF") {
        item->type = typeUnitFloat;
        if (!ParseCode(line, &at, &item->code)) return *why = "no unit ('#Ang')", false;
        if (!ParseNumber(Word(line, &at), &item->number)) return *why = "no number", false;
    } else if (typeWord == "enum") {
        item->type = typeEnumerated;
        if (!ParseCode(line, &at, &item->code) || !ParseCode(line, &at, &item->enumValue))
            return *why = "an enumeration needs its type and value", false;
    } else if (typeWord == "type") {
        item->type = typeType;
        if (!ParseCode(line, &at, &item->code)) return *why = "no class", false;
    } else if (typeWord == "TEXT") {
        item->type = typeChar;
        if (!ParseHex(Word(line, &at), &item->text)) return *why = "text is its bytes in hex", false;
    } else {
        return *why = "unknown type \"" + typeWord + "\" (long, doub, UntF, bool, enum, type, TEXT)", false;
    }
    SkipSpaces(line, &at);
    if (at != line.size()) return *why = "more after the value", false;
    return true;
}

// --- The read procs --------------------------------------------------------

Reader* FindReader(PIReadDescriptor token) {
    Reader* r = reinterpret_cast<Reader*>(token);
    return readers.count(r) != 0 ? r : nullptr;
}

Writer* FindWriter(PIWriteDescriptor token) {
    Writer* w = reinterpret_cast<Writer*>(token);
    return writers.count(w) != 0 ? w : nullptr;
}

// The item GetKey reported last, when it has this type; a wrong getter is
// refused and remembered as the read's error.
const DescriptorItem* Current(PIReadDescriptor token, DescriptorTypeID type, OSErr* refusal) {
    Reader* r = FindReader(token);
    *refusal = paramErr;
    if (r == nullptr || r->current == nullptr) return nullptr;
    if (r->current->type != type) {
        ++counts.mismatchedGets;
        r->lastError = paramErr;
        return nullptr;
    }
    *refusal = noErr;
    return r->current;
}

// A clamped value is reported at the close unless an error came first.
void NoteCoerced(PIReadDescriptor token) {
    if (Reader* r = FindReader(token); r != nullptr && r->lastError == noErr) r->lastError = coercedParamErr;
}

PIReadDescriptor HOST_CALLBACK OpenRead(PIDescriptorHandle h, DescriptorKeyID expected[]) {
    Reader* r = new (std::nothrow) Reader;
    if (r == nullptr) return nullptr;
    std::string why;
    if (h == nullptr || !DescriptorFromHandle(h, &r->descriptor, &why)) {
        delete r;
        return nullptr;
    }
    r->expected = expected;
    readers.insert(r);
    ++counts.openReaders;
    return reinterpret_cast<PIReadDescriptor>(r);
}

OSErr HOST_CALLBACK CloseRead(PIReadDescriptor token) {
    Reader* r = FindReader(token);
    if (r == nullptr) return paramErr;
    OSErr code = r->lastError;
    // A key the plug-in expected and the descriptor lacked, as Photoshop's
    // own sample code reads it; coerced values count as success.
    if (code == noErr || code == coercedParamErr)
        for (DescriptorKeyID* k = r->expected; k != nullptr && *k != 0; ++k)
            if (*k != typeNull) code = errMissingParameter;
    readers.erase(r);
    --counts.openReaders;
    delete r;
    return code;
}

Boolean HOST_CALLBACK GetKey(PIReadDescriptor token, DescriptorKeyID* key, DescriptorTypeID* type, int32* flags) {
    Reader* r = FindReader(token);
    if (r == nullptr || r->next >= r->descriptor.items.size()) return 0;
    r->current = &r->descriptor.items[r->next++];
    if (key != nullptr) *key = r->current->key;
    if (type != nullptr) *type = r->current->type;
    if (flags != nullptr) *flags = 0;  // a simple parameter
    // Each key found is marked in the plug-in's array, so that what stays
    // unmarked is what the descriptor lacked.
    for (DescriptorKeyID* k = r->expected; k != nullptr && *k != 0; ++k)
        if (*k == r->current->key) *k = typeNull;
    return 1;
}

OSErr HOST_CALLBACK GetInteger(PIReadDescriptor token, int32* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeInteger, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    *value = item->integer;
    return noErr;
}

OSErr HOST_CALLBACK GetFloat(PIReadDescriptor token, real64* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeFloat, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    *value = item->number;
    return noErr;
}

OSErr HOST_CALLBACK GetUnitFloat(PIReadDescriptor token, DescriptorUnitID* unit, real64* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeUnitFloat, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    if (unit != nullptr) *unit = item->code;
    *value = item->number;
    return noErr;
}

OSErr HOST_CALLBACK GetBoolean(PIReadDescriptor token, Boolean* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeBoolean, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    *value = Boolean(item->integer != 0);
    return noErr;
}

OSErr HOST_CALLBACK GetText(PIReadDescriptor token, Handle* text) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeChar, &refusal);
    if (item == nullptr || text == nullptr) return paramErr;
    *text = NewHandleWithBytes(item->text);  // the plug-in's to dispose
    return *text != nullptr ? noErr : memFullErr;
}

OSErr HOST_CALLBACK GetEnumerated(PIReadDescriptor token, DescriptorEnumID* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeEnumerated, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    *value = item->enumValue;
    return noErr;
}

OSErr HOST_CALLBACK GetClass(PIReadDescriptor token, DescriptorTypeID* value) {
    OSErr refusal;
    const DescriptorItem* item = Current(token, typeType, &refusal);
    if (item == nullptr || value == nullptr) return paramErr;
    *value = item->code;
    return noErr;
}

OSErr HOST_CALLBACK GetPinnedInteger(PIReadDescriptor token, int32 min, int32 max, int32* value) {
    const OSErr got = GetInteger(token, value);
    if (got != noErr || min > max) return got != noErr ? got : OSErr(paramErr);
    if (*value >= min && *value <= max) return noErr;
    *value = *value < min ? min : max;
    NoteCoerced(token);
    return coercedParamErr;
}

OSErr PinFloat(PIReadDescriptor token, const real64* min, const real64* max, real64* value) {
    if (min == nullptr || max == nullptr || *min > *max) return paramErr;
    // NaN is handed over as stored: no bound is nearer to it than the other.
    if (std::isnan(*value) || (*value >= *min && *value <= *max)) return noErr;
    *value = *value < *min ? *min : *max;
    NoteCoerced(token);
    return coercedParamErr;
}

OSErr HOST_CALLBACK GetPinnedFloat(PIReadDescriptor token, const real64* min, const real64* max, real64* value) {
    const OSErr got = GetFloat(token, value);
    return got != noErr ? got : PinFloat(token, min, max, value);
}

// *unit is the unit the plug-in expects; another stored unit is refused.
OSErr HOST_CALLBACK GetPinnedUnitFloat(PIReadDescriptor token, const real64* min, const real64* max,
                                       DescriptorUnitID* unit, real64* value) {
    DescriptorUnitID stored = 0;
    const OSErr got = GetUnitFloat(token, &stored, value);
    if (got != noErr) return got;
    if (unit == nullptr || *unit != stored) return paramErr;
    return PinFloat(token, min, max, value);
}

// Kinds our host does not keep: aliases, references, objects, counts and
// Pascal strings are refused on both sides.
OSErr HOST_CALLBACK GetHandleRefused(PIReadDescriptor, Handle*) { return paramErr; }
OSErr HOST_CALLBACK GetReferenceRefused(PIReadDescriptor, PIDescriptorSimpleReference*) { return paramErr; }
OSErr HOST_CALLBACK GetObjectRefused(PIReadDescriptor, DescriptorTypeID*, PIDescriptorHandle*) { return paramErr; }
OSErr HOST_CALLBACK GetCountRefused(PIReadDescriptor, uint32*) { return paramErr; }
OSErr HOST_CALLBACK GetStringRefused(PIReadDescriptor, Str255*) { return paramErr; }

// --- The write procs -------------------------------------------------------

PIWriteDescriptor HOST_CALLBACK OpenWrite() {
    Writer* w = new (std::nothrow) Writer;
    if (w == nullptr) return nullptr;
    writers.insert(w);
    ++counts.openWriters;
    return reinterpret_cast<PIWriteDescriptor>(w);
}

OSErr HOST_CALLBACK CloseWrite(PIWriteDescriptor token, PIDescriptorHandle* out) {
    Writer* w = FindWriter(token);
    if (w == nullptr) return paramErr;
    OSErr code = noErr;
    if (out == nullptr) {
        code = paramErr;
    } else {
        *out = NewDescriptorHandle(w->descriptor);
        if (*out == nullptr) code = memFullErr;
    }
    writers.erase(w);
    --counts.openWriters;
    delete w;
    return code;
}

OSErr Put(PIWriteDescriptor token, const DescriptorItem& item) {
    Writer* w = FindWriter(token);
    if (w == nullptr) return paramErr;
    w->descriptor.Put(item);
    return noErr;
}

OSErr HOST_CALLBACK PutInteger(PIWriteDescriptor token, DescriptorKeyID key, int32 value) {
    DescriptorItem item;
    item.key = key, item.type = typeInteger, item.integer = value;
    return Put(token, item);
}

OSErr HOST_CALLBACK PutFloat(PIWriteDescriptor token, DescriptorKeyID key, const real64* value) {
    if (value == nullptr) return paramErr;
    DescriptorItem item;
    item.key = key, item.type = typeFloat, item.number = *value;
    return Put(token, item);
}

OSErr HOST_CALLBACK PutUnitFloat(PIWriteDescriptor token, DescriptorKeyID key, DescriptorUnitID unit,
                                 const real64* value) {
    if (value == nullptr) return paramErr;
    DescriptorItem item;
    item.key = key, item.type = typeUnitFloat, item.code = unit, item.number = *value;
    return Put(token, item);
}

OSErr HOST_CALLBACK PutBoolean(PIWriteDescriptor token, DescriptorKeyID key, Boolean value) {
    DescriptorItem item;
    item.key = key, item.type = typeBoolean, item.integer = value != 0 ? 1 : 0;
    return Put(token, item);
}

// The plug-in keeps its handle: its bytes are copied.
OSErr HOST_CALLBACK PutText(PIWriteDescriptor token, DescriptorKeyID key, Handle text) {
    if (text == nullptr || !IsLiveHandle(text)) return paramErr;
    DescriptorItem item;
    item.key = key, item.type = typeChar, item.text = HandleBytes(text);
    return Put(token, item);
}

OSErr HOST_CALLBACK PutEnumerated(PIWriteDescriptor token, DescriptorKeyID key, DescriptorTypeID type,
                                  DescriptorEnumID value) {
    DescriptorItem item;
    item.key = key, item.type = typeEnumerated, item.code = type, item.enumValue = value;
    return Put(token, item);
}

OSErr HOST_CALLBACK PutClass(PIWriteDescriptor token, DescriptorKeyID key, DescriptorTypeID type) {
    DescriptorItem item;
    item.key = key, item.type = typeType, item.code = type;
    return Put(token, item);
}

OSErr HOST_CALLBACK PutHandleRefused(PIWriteDescriptor, DescriptorKeyID, Handle) { return paramErr; }
OSErr HOST_CALLBACK PutReferenceRefused(PIWriteDescriptor, DescriptorKeyID, const PIDescriptorSimpleReference*) {
    return paramErr;
}
OSErr HOST_CALLBACK PutObjectRefused(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID, PIDescriptorHandle) {
    return paramErr;
}
OSErr HOST_CALLBACK PutCountRefused(PIWriteDescriptor, DescriptorKeyID, uint32) { return paramErr; }
OSErr HOST_CALLBACK PutStringRefused(PIWriteDescriptor, DescriptorKeyID, ConstStr255Param) { return paramErr; }
OSErr HOST_CALLBACK PutScopedClassRefused(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID) { return paramErr; }

ReadDescriptorProcs readProcs = {
    kCurrentReadDescriptorProcsVersion,
    kCurrentReadDescriptorProcsCount,
    OpenRead,
    CloseRead,
    GetKey,
    GetInteger,
    GetFloat,
    GetUnitFloat,
    GetBoolean,
    GetText,
    GetHandleRefused,
    GetEnumerated,
    GetClass,
    GetReferenceRefused,
    GetObjectRefused,
    GetCountRefused,
    GetStringRefused,
    GetPinnedInteger,
    GetPinnedFloat,
    GetPinnedUnitFloat,
};

WriteDescriptorProcs writeProcs = {
    kCurrentWriteDescriptorProcsVersion,
    kCurrentWriteDescriptorProcsCount,
    OpenWrite,
    CloseWrite,
    PutInteger,
    PutFloat,
    PutUnitFloat,
    PutBoolean,
    PutText,
    PutHandleRefused,
    PutEnumerated,
    PutClass,
    PutReferenceRefused,
    PutObjectRefused,
    PutCountRefused,
    PutStringRefused,
    PutScopedClassRefused,
    PutObjectRefused,
};

}  // namespace

const DescriptorItem* Descriptor::Find(DescriptorKeyID key) const {
    for (const DescriptorItem& item : items)
        if (item.key == key) return &item;
    return nullptr;
}

void Descriptor::Put(const DescriptorItem& item) {
    for (DescriptorItem& stored : items)
        if (stored.key == item.key) {
            stored = item;
            return;
        }
    items.push_back(item);
}

std::string DescriptorText(const Descriptor& descriptor) {
    std::string text = std::string(kHeader) + "\n";
    char number[64];
    for (const DescriptorItem& item : descriptor.items) {
        std::string line = CodeText(item.key) + " " + TypeText(item.type);
        switch (item.type) {
            case typeInteger:
            case typeBoolean: line += " " + std::to_string(item.integer); break;
            case typeFloat: line += " " + NumberText(item.number); break;
            case typeUnitFloat: line += " " + CodeText(item.code) + " " + NumberText(item.number); break;
            case typeEnumerated: line += " " + CodeText(item.code) + " " + CodeText(item.enumValue); break;
            case typeType: line += " " + CodeText(item.code); break;
            case typeChar:
                line += " ";
                for (uint8_t b : item.text) {
                    std::snprintf(number, sizeof number, "%02X", b);
                    line += number;
                }
                break;
            default: continue;  // nothing else is ever stored
        }
        text += line + "\n";
    }
    return text;
}

bool ParseDescriptorText(const std::string& text, Descriptor* descriptor, std::string* error) {
    descriptor->items.clear();
    size_t start = 0;
    int number = 0;
    bool header = false;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!header) {
            if (line != kHeader) {
                *error = "line 1 is not \"" + std::string(kHeader) + "\"";
                return false;
            }
            header = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        DescriptorItem item;
        std::string why;
        if (!ParseItem(line, &item, &why)) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        descriptor->Put(item);
    }
    if (!header) *error = "empty: no \"" + std::string(kHeader) + "\" line";
    return header;
}

Handle NewDescriptorHandle(const Descriptor& descriptor) {
    const std::string text = DescriptorText(descriptor);
    return NewHandleWithBytes(std::vector<uint8_t>(text.begin(), text.end()));
}

bool DescriptorFromHandle(Handle h, Descriptor* descriptor, std::string* error) {
    if (h == nullptr || !IsLiveHandle(h)) {
        *error = "not a handle of this host";
        return false;
    }
    const std::vector<uint8_t> bytes = HandleBytes(h);
    return ParseDescriptorText(std::string(bytes.begin(), bytes.end()), descriptor, error);
}

ReadDescriptorProcs* HostReadDescriptorProcs() { return &readProcs; }
WriteDescriptorProcs* HostWriteDescriptorProcs() { return &writeProcs; }
DescriptorCounts CurrentDescriptorCounts() { return counts; }

}  // namespace filterhost
