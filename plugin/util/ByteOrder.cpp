#include "ByteOrder.h"

#include "ResultCodes.h"

namespace tavirel {

int ReverseBytes32(uint32_t* value) {
    if (value == nullptr) return kParamErr;
    *value = SwapBytes32(*value);
    return kOk;
}

}  // namespace tavirel
