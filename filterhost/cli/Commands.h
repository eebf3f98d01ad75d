// The host's commands; each returns the process exit status.
#pragma once

namespace filterhost {

int InfoCommand(int argc, char** argv);
int AboutCommand(int argc, char** argv);
int ParametersCommand(int argc, char** argv);
int RunCommand(int argc, char** argv);

// One line on standard error, prefixed with the program's name.
void Complain(const char* format, ...);

}  // namespace filterhost
