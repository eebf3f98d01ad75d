// Moving currentParameters in and out of the record in the host's parameter handle.
#pragma once

#include "../../hostapi/HostInterface.h"

namespace tavirel {

// Defaults into currentParameters, then the handle's parameters as stored when
// its signature is 'Tvr1' (0); 2010 for another signature, -109 for no handle,
// -114 when locking gives no address.
int LoadParametersFromHandle(const FilterRecord* record);

// currentParameters into the handle's record, which then goes to the settings
// file (whose code is the result); the same failure codes as the load.
int StoreParametersToHandle(const FilterRecord* record);

}  // namespace tavirel
