#include "FileChecks.h"

#include <windows.h>

#include "FilePaths.h"

namespace filterhost {
namespace {

// The folder part of a path ("." when it names none).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    return path.substr(0, slash);
}

bool IdentityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    // No access asked: a file open elsewhere, or without read permission,
    // still tells who it is.
    const HANDLE file = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return ok;
}

std::string FolderProblem(const std::string& folder, const std::string& probeName) {
    const DWORD attributes = GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "its folder " + folder + " does not exist";
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder + " is not a folder";
    // Whether a new file can be made there: made under the name the result's
    // temporary would have, and removed again at once.
    const std::wstring probe = SystemPath(probeName);
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS) return "";  // a run of the same process id left it: it can be made
        return "no file can be made in " + folder + ": " + SystemErrorText(code);
    }
    CloseHandle(file);
    return "";
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (IdentityOf(a, &x) && IdentityOf(b, &y))
        return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
               x.nFileIndexLow == y.nFileIndexLow;
    const std::wstring p = SystemPath(a), q = SystemPath(b);
    return CompareStringOrdinal(p.c_str(), int(p.size()), q.c_str(), int(q.size()), TRUE) == CSTR_EQUAL;
}

std::string InputProblem(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path + " is a folder, not a PNG image";
    return "";
}

std::string OutputProblem(const std::string& path) {
    const std::wstring system = SystemPath(path);
    const DWORD attributes = GetFileAttributesW(system.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return path + " is a folder";
    // A device or a pipe would be replaced by the result's file, or take none
    // of it: only a plain file is an output. (Under Wine a device has no
    // attributes at all, and opens all the same.)
    const HANDLE file = CreateFileW(system.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(file);
        CloseHandle(file);
        if (type != FILE_TYPE_DISK) return path + " is a device or pipe, not a file";
    }
    const std::string problem =
        FolderProblem(FolderOf(path), path + ".partial-" + std::to_string(GetCurrentProcessId()));
    return problem.empty() ? "" : "cannot write " + path + ": " + problem;
}

std::string OutputFolderProblem(const std::string& folder) {
    const std::string problem =
        FolderProblem(folder, folder + "/.filterhost-probe-" + std::to_string(GetCurrentProcessId()));
    return problem.empty() ? "" : "cannot write into " + folder + ": " + problem;
}

}  // namespace filterhost
