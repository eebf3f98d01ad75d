// The Windows version a program sees under Wine, set per program name in the
// registry (HKCU\Software\Wine\AppDefaults\NAME.exe, value Version), and
// running a program with captured output.
#pragma once

#include <string>

namespace filterhost {

// version: "nt40", "win98", "win2k", "win10", ...; false when the key cannot be written.
bool SetWineWindowsVersion(const std::string& exeName, const std::string& version);

// Runs a command line (UTF-8), waits, and gives its exit code and everything it wrote
// to standard output and error; -1 when it cannot be started.
int RunCapturingOutput(const std::string& commandLine, std::string* output);

// The folder holding the running program (UTF-8), with a trailing backslash.
std::string ProgramFolder();

}  // namespace filterhost

namespace filterhost {

// Runs our host's command line under the given Windows version: a copy of the
// host program named filterhost-VERSION.exe, beside it, with that program's
// version key set. Gives the exit code and output as RunCapturingOutput.
int RunHostWithWindowsVersion(const std::string& version, const std::string& arguments, std::string* output);

}  // namespace filterhost
