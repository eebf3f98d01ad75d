#include "ParameterHandle.h"

#include "../host/HandleSuite.h"
#include "../persistence/SettingsFile.h"
#include "../util/ResultCodes.h"
#include "FilterParameters.h"

namespace tavirel {

int LoadParametersFromHandle(const FilterRecord* record) {
    SetDefaultParameters(&currentParameters);
    if (record->parameters == nullptr) return kNilHandle;
    HandleLock lock(record, record->parameters, false);
    if (lock.address() == nullptr) return kNoAddress;
    auto* stored = reinterpret_cast<const ParameterRecord*>(lock.address());
    if (stored->signature != kRecordSignature) return kMsgUnknownParameters;
    CopyFilterParameters(stored->parameters, &currentParameters);
    return kOk;
}

int StoreParametersToHandle(const FilterRecord* record) {
    if (record->parameters == nullptr) return kNilHandle;
    HandleLock lock(record, record->parameters, false);
    if (lock.address() == nullptr) return kNoAddress;
    auto* stored = reinterpret_cast<ParameterRecord*>(lock.address());
    if (stored->signature != kRecordSignature) return kMsgUnknownParameters;
    CopyFilterParameters(currentParameters, &stored->parameters);
    return WriteSettingsFile(*stored);
}

}  // namespace tavirel
