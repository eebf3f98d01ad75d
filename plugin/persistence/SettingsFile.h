// The last confirmed settings, kept from one host run to the next in the file
// "zelvanor\PS Filters\Tavirel I" under the user's application-data folder (NT
// family) or the Windows directory (any other system, or when the lookup fails).
#pragma once

#include <cstddef>

#include "../filter/FilterParameters.h"

namespace tavirel {

// On success (0) the record's parameters may have been replaced by the file's;
// a file that is not a complete record of ours is ignored and still gives 0.
// Otherwise a system error code, -43 (no folder, an over-long path, or a failed
// open without a code) or -192 (no file name string).
int ReadSettingsFile(ParameterRecord* record);

// Where the file is (the path, without creating anything), for tests and
// diagnostics; -50 when capacity is too small.
int SettingsFilePath(char* text, size_t capacity);
// The whole record in file form at the start of the file.
int WriteSettingsFile(const ParameterRecord& record);

}  // namespace tavirel
