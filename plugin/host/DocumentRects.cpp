#include "DocumentRects.h"

#include <algorithm>

namespace tavirel {
namespace {

int16 Narrow(int32 v) { return int16(std::clamp<int32>(v, -32768, 32767)); }
Rect NarrowRect(const VRect& r) { return Rect{Narrow(r.top), Narrow(r.left), Narrow(r.bottom), Narrow(r.right)}; }
VRect WideRect(const Rect& r) { return VRect{r.top, r.left, r.bottom, r.right}; }

}  // namespace

void UseBigDocumentCoordinates(FilterRecord* record) {
    if (record->bigDocumentData != nullptr) record->bigDocumentData->PluginUsing32BitCoordinates = 1;
}

bool UsesBigDocument(const FilterRecord* record) {
    return record->bigDocumentData != nullptr && record->bigDocumentData->PluginUsing32BitCoordinates != 0;
}

VPoint DocumentSize(const FilterRecord* record) {
    if (UsesBigDocument(record)) return record->bigDocumentData->imageSize32;
    return VPoint{record->imageSize.v, record->imageSize.h};
}

VRect DocumentFilterRect(const FilterRecord* record) {
    if (UsesBigDocument(record)) return record->bigDocumentData->filterRect32;
    return WideRect(record->filterRect);
}

VRect DocumentOutRect(const FilterRecord* record) {
    if (UsesBigDocument(record)) return record->bigDocumentData->outRect32;
    return WideRect(record->outRect);
}

void SetInRect(FilterRecord* record, const VRect& r) {
    record->inRect = NarrowRect(r);
    if (UsesBigDocument(record)) record->bigDocumentData->inRect32 = r;
}

void SetOutRect(FilterRecord* record, const VRect& r) {
    record->outRect = NarrowRect(r);
    if (UsesBigDocument(record)) record->bigDocumentData->outRect32 = r;
}

void SetMaskRect(FilterRecord* record, const VRect& r) {
    record->maskRect = NarrowRect(r);
    if (UsesBigDocument(record)) record->bigDocumentData->maskRect32 = r;
}

}  // namespace tavirel
