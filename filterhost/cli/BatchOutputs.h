// Where a batch run writes its results: DIR/<the input's file name>, each
// file replaced only when its own run succeeds. Checked before any file is
// read, so a batch that cannot write what it was asked to starts nothing.
#pragma once

#include <string>
#include <vector>

namespace filterhost {

// What follows the last '/' or '\' of the path (all of it when there is none).
std::string BaseName(const std::string& path);

// The input's file name in the folder, joined with the folder's own separator.
std::string OutputPathFor(const std::string& folder, const std::string& input);

// Whether two inputs would be written to the same output: their file names
// compared as the Windows file system compares them, ignoring case. On true,
// *first < *second index the first such pair in input order.
bool FindSharedOutput(const std::vector<std::string>& inputs, size_t* first, size_t* second);

enum class PathKind { Missing, File, Folder };
PathKind KindOfPath(const std::string& path);

}  // namespace filterhost
