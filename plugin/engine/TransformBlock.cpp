#include "TransformBlock.h"

#include <cstdint>

#include "../host/DocumentRects.h"
#include "HueTransform.h"

namespace tavirel {
namespace {

template <typename Sample, typename Row>
void TransformBlock(const FilterRecord* record, Row row) {
    const VRect area = DocumentOutRect(record);
    const int rows = area.bottom - area.top;
    const int width = area.right - area.left;
    if (rows <= 0 || width <= 0) return;
    const auto* in = static_cast<const unsigned char*>(record->inData);
    auto* out = static_cast<unsigned char*>(record->outData);
    for (int r = 0; r < rows; ++r) {
        row(reinterpret_cast<const Sample*>(in + intptr_t(r) * record->inRowBytes),
            reinterpret_cast<Sample*>(out + intptr_t(r) * record->outRowBytes), record->planes, width);
    }
}

}  // namespace

void TransformBlock8(const FilterRecord* record) { TransformBlock<uint8_t>(record, TransformRow8); }

void TransformBlock16(const FilterRecord* record) { TransformBlock<uint16_t>(record, TransformRow16); }

}  // namespace tavirel
