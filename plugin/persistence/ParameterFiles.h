// Load... and Save... of the parameter dialog: currentParameters from and to
// a parameter file (.prm) the user chooses in the system's file dialogs.
#pragma once

#include <windows.h>

namespace tavirel {

// 0 when the user cancelled, a file was loaded (its settings clamped into
// currentParameters), or a file was refused with a message (2011 another
// plug-in's, 2012 an unknown type or an incomplete record, 2013 another
// version; currentParameters untouched); otherwise the system's error code.
int LoadParameterFile(HWND owner);

// 0 when the user cancelled or the file was written; otherwise the system's
// error code, and the file the user chose is left as it was.
int SaveParameterFile(HWND owner);

}  // namespace tavirel
