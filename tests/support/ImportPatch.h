// Observing a loaded module's calls into a system library: the module's own
// import table entry for one function is pointed elsewhere. The tests use it
// to hear the plug-in's beeps and see what it repaints.
#pragma once

#include <windows.h>

namespace filterhost {

// Points `module`'s import of `function` from `library` (case-insensitive,
// e.g. "user32.dll") at `replacement` and gives the previous address, or null
// when the module imports no such function (nothing is changed then).
void* PatchImport(HMODULE module, const char* library, const char* function, void* replacement);

}  // namespace filterhost
