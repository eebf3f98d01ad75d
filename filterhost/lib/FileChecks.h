// Checks of the files a command names, made before any work, so that a run
// that could never write its result says so at once instead of after the
// whole image was read and filtered.
#pragma once

#include <string>

namespace filterhost {

// Whether two paths name one file: by the file's identity (volume and file
// index, so a hard link or another spelling of the path counts) when both
// exist, else by their full paths, case ignored as Windows does.
bool SameFile(const std::string& a, const std::string& b);

// Why a file cannot be read as an input ("it is a folder"), or empty. A
// missing or unreadable file is left to the reader, whose message names it.
std::string InputProblem(const std::string& path);

// Why a result cannot be written at path, or empty: it is a folder, an
// existing file that is not a plain file (a device such as /dev/full, a
// pipe), or its folder is missing or takes no new file (read-only, full of
// names, no permission): a file is created there under the temporary name
// the result would use, and removed again. The reason is the system's own.
std::string OutputProblem(const std::string& path);

// The same for a folder that outputs go into (a batch's --out-dir).
std::string OutputFolderProblem(const std::string& folder);

}  // namespace filterhost
