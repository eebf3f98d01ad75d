#include "SelectedColour.h"

#include "../filter/FilterParameters.h"
#include "ParameterDialogIds.h"

namespace tavirel {

int32_t activeSwatch = PARAM_DLG_SWATCH_SOURCE;

int SelectedColour() { return activeSwatch == PARAM_DLG_SWATCH_DESTINATION ? kDestinationColour : kSourceColour; }

}  // namespace tavirel
