// Our host's descriptor suites: the read and write procs through which a
// plug-in records its settings in an action and reads them back when the
// action plays. A descriptor handle is a handle of our handle suite holding
// the descriptor's text form (below), so the same bytes go into a
// --record file and come back from a --play file; a plug-in never looks
// inside. docs/hosts.md has the tables.
//
// The text form, one item a line after the header line:
//
//   filterhost descriptor 1
//   'TvSH' UntF '#Ang' 120.5
//   'flag' bool 1
//   'cnt ' long -3
//   'frac' doub 0.25
//   'mode' enum 'Md  ' 'RGBC'
//   'clss' type 'Lyr '
//   'name' TEXT 48656C6C6F
//
// A four-character code is its four characters between single quotes, or
// 0x and eight hex digits when one is not printable ASCII. Floats are
// written with the fewest significant digits (15 to 17) that read back as
// the same double; text is its bytes in hex. Lines that start with '#' and empty lines are
// skipped. A key given twice keeps its first place and its last value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../../hostapi/HostInterface.h"

namespace filterhost {

struct DescriptorItem {
    DescriptorKeyID key = 0;
    DescriptorTypeID type =
        0;                   // typeInteger, typeFloat, typeUnitFloat, typeBoolean, typeEnumerated, typeType, typeChar
    uint32_t code = 0;       // the unit of a unit float, the enumeration type, or the class
    uint32_t enumValue = 0;  // the value of an enumeration
    double number = 0;       // floats and unit floats
    int32_t integer = 0;     // integers and booleans (0 or 1)
    std::vector<uint8_t> text;  // text
};

struct Descriptor {
    std::vector<DescriptorItem> items;
    // The item stored under key, or null.
    const DescriptorItem* Find(DescriptorKeyID key) const;
    // Adds the item, or replaces the value stored under its key.
    void Put(const DescriptorItem& item);
};

std::string DescriptorText(const Descriptor& descriptor);
// false, with the line and its fault in `error`, for anything else.
bool ParseDescriptorText(const std::string& text, Descriptor* descriptor, std::string* error);

// A handle of our handle suite holding the text form; null without memory.
Handle NewDescriptorHandle(const Descriptor& descriptor);
bool DescriptorFromHandle(Handle h, Descriptor* descriptor, std::string* error);

ReadDescriptorProcs* HostReadDescriptorProcs();
WriteDescriptorProcs* HostWriteDescriptorProcs();

// Kept for the leak check and for tests: tokens opened and not closed, and
// getter calls whose type was not the one GetKey reported (each refused
// with paramErr).
struct DescriptorCounts {
    int openReaders = 0;
    int openWriters = 0;
    int mismatchedGets = 0;
};
DescriptorCounts CurrentDescriptorCounts();

}  // namespace filterhost
