// The document's size and rectangles as the host gives them: the 32-bit ones
// of bigDocumentData once the plug-in has said it uses them (a host that
// offers big documents, whose sides may pass 32,767), else the record's
// 16-bit fields. Everything that asks the host for pixels goes through here.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// Says the plug-in uses the 32-bit fields, when the host offers them.
void UseBigDocumentCoordinates(FilterRecord* record);
// Whether the 32-bit fields are in use.
bool UsesBigDocument(const FilterRecord* record);

VPoint DocumentSize(const FilterRecord* record);  // v rows, h columns
VRect DocumentFilterRect(const FilterRecord* record);
VRect DocumentOutRect(const FilterRecord* record);

// The requests for the next advanceState. With big documents the 32-bit
// fields, and the 16-bit ones as far as they reach (a host reads one or the
// other).
void SetInRect(FilterRecord* record, const VRect& r);
void SetOutRect(FilterRecord* record, const VRect& r);
void SetMaskRect(FilterRecord* record, const VRect& r);

}  // namespace tavirel
