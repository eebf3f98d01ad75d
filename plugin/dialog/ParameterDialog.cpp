#include "ParameterDialog.h"

#include "../util/ResultCodes.h"

namespace tavirel {

// The dialog window itself is not built yet. Until it is, Start sees what a
// user who cancels sees: result 1, nothing stored, no pixels changed.
int RunParameterDialog(FilterRecord*) { return kSilentStop; }

}  // namespace tavirel
