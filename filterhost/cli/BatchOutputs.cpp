#include "BatchOutputs.h"

#include <windows.h>

#include <algorithm>
#include <numeric>

#include "../lib/FilePaths.h"

namespace filterhost {

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OutputPathFor(const std::string& folder, const std::string& input) {
    const std::string name = BaseName(input);
    if (folder.empty()) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    // A folder written the Windows way gets its results the same way.
    const bool backslashes = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
    return folder + (backslashes ? "\\" : "/") + name;
}

bool FindSharedOutput(const std::vector<std::string>& inputs, size_t* first, size_t* second) {
    // The file system folds case through its own table of capitals; the
    // system's upper-casing of each name is the same for every name a user
    // types, so equal capitals mean one file.
    std::vector<std::wstring> keys;
    keys.reserve(inputs.size());
    for (const std::string& input : inputs) {
        std::wstring key = WideFromUtf8(BaseName(input));
        if (!key.empty()) CharUpperBuffW(key.data(), DWORD(key.size()));
        keys.push_back(std::move(key));
    }
    std::vector<size_t> order(inputs.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    bool found = false;
    for (size_t i = 1; i < order.size(); ++i) {
        if (keys[order[i - 1]] != keys[order[i]]) continue;
        // Equal names keep the inputs' order: the pair named is the one whose
        // second file comes first.
        if (!found || order[i] < *second) *first = order[i - 1], *second = order[i];
        found = true;
    }
    return found;
}

PathKind KindOfPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

}  // namespace filterhost
