// The host's commands; each returns the process exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace filterhost {

int InfoCommand(int argc, char** argv);
int AboutCommand(int argc, char** argv);
int ParametersCommand(int argc, char** argv);
int RunCommand(int argc, char** argv);

// One line on standard error, prefixed with the program's name.
void Complain(const char* format, ...);

// The whole file replaced by these bytes; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace filterhost
