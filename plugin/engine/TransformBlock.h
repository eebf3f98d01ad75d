// Block drivers: the only engine code that reads a FilterRecord. Each runs its
// row transform over every row of outRect, from inData to outData; the caller
// has made inRect equal to outRect.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

void TransformBlock8(const FilterRecord* record);
void TransformBlock16(const FilterRecord* record);

}  // namespace tavirel
