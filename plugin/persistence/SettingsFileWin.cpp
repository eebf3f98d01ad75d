// The settings file through the shell and kernel calls.
#include <windows.h>
#include <shlobj.h>

#include <initializer_list>

#include "../entry/ModuleState.h"
#include "../util/CountedString.h"
#include "../util/ResultCodes.h"
#include "ParameterCodec.h"
#include "SettingsFile.h"

namespace tavirel {
namespace {

constexpr int kApplicationDataFolder = 26;  // CSIDL_APPDATA

// The user's application-data folder on the NT family; the Windows directory
// elsewhere or when any step of the shell lookup fails.
void BaseFolder(char (&path)[MAX_PATH + 1]) {
    path[0] = '\0';
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
            LPITEMIDLIST items = nullptr;
            if (SUCCEEDED(SHGetSpecialFolderLocation(HostWindow(), kApplicationDataFolder, &items)) &&
                items != nullptr) {
                if (!SHGetPathFromIDListA(items, path)) path[0] = '\0';
                allocator->Free(items);
            }
            allocator->Release();
        }
    }
    if (path[0] == '\0') {
        const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) path[0] = '\0';
    }
}

// A path assembled as a counted string: each piece goes in with its zero
// byte inside the count, and the count is lowered by one after appending, so
// the characters are always followed by a zero. A piece that does not fit
// fails the whole path instead of leaving it short.
class CountedPath {
public:
    CountedPath() { bytes_[0] = 0; }
    bool Append(const char* text) {
        unsigned char piece[256];
        const size_t n = strlen(text);
        if (n == 0) return true;
        if (n + 1 > 255) return false;
        piece[0] = static_cast<unsigned char>(n + 1);
        memcpy(piece + 1, text, n + 1);
        if (AppendCountedString(piece, bytes_) != kOk) return false;
        --bytes_[0];
        return true;
    }
    char* Text() { return reinterpret_cast<char*>(bytes_ + 1); }
    size_t Length() const { return bytes_[0]; }

private:
    unsigned char bytes_[257] = {};  // one spare for the last piece's zero
};

void CreateFolder(const char* path) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    CreateDirectoryA(path, &security);  // usually exists already; the result is not needed
}

// Base folder, "zelvanor", "\PS Filters" and the file named by string 16000;
// the ends of the two folder names are reported so they can be created.
int BuildSettingsPath(CountedPath* path, size_t* vendorEnd, size_t* folderEnd) {
    char base[MAX_PATH + 1];
    BaseFolder(base);
    if (base[0] == '\0') return kFileNotFound;
    char fileName[32] = "";
    if (LoadStringA(PluginInstance(), UINT(kStrPluginName), fileName, sizeof fileName) <= 0 || fileName[0] == '\0')
        return kResourceNotFound;
    bool fits = path->Append(base);
    if (fits && path->Text()[path->Length() - 1] != '\\') fits = path->Append("\\");
    fits = fits && path->Append("zelvanor");
    *vendorEnd = path->Length();
    fits = fits && path->Append("\\PS Filters");
    *folderEnd = path->Length();
    fits = fits && path->Append("\\") && path->Append(fileName);
    return fits ? kOk : kFileNotFound;  // nothing is created for a path that cannot be whole
}

int OpenSettingsFile(HANDLE* file) {
    *file = INVALID_HANDLE_VALUE;
    CountedPath path;
    size_t vendorEnd = 0, folderEnd = 0;
    if (const int code = BuildSettingsPath(&path, &vendorEnd, &folderEnd)) return code;
    char* text = path.Text();
    for (size_t end : {vendorEnd, folderEnd}) {
        const char kept = text[end];
        text[end] = '\0';
        CreateFolder(text);
        text[end] = kept;
    }
    *file = CreateFileA(text, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (*file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error != 0 ? int(error) : kFileNotFound;
    }
    return kOk;
}

}  // namespace

int SettingsFilePath(char* text, size_t capacity) {
    CountedPath path;
    size_t vendorEnd = 0, folderEnd = 0;
    if (const int code = BuildSettingsPath(&path, &vendorEnd, &folderEnd)) return code;
    if (capacity <= path.Length()) return kParamErr;
    memcpy(text, path.Text(), path.Length() + 1);
    return kOk;
}

int ReadSettingsFile(ParameterRecord* record) {
    HANDLE file;
    if (const int code = OpenSettingsFile(&file)) return code;
    unsigned char bytes[kFileRecordSize];
    DWORD got = 0;
    int code = kOk;
    if (!ReadFile(file, bytes, sizeof bytes, &got, nullptr)) {
        code = int(GetLastError());
    } else if (IsAcceptableFileRecord(bytes, got)) {
        DecodeFileParameters(bytes, &record->parameters);
    }
    CloseHandle(file);
    return code;
}

int WriteSettingsFile(const ParameterRecord& record) {
    HANDLE file;
    if (const int code = OpenSettingsFile(&file)) return code;
    unsigned char bytes[kFileRecordSize];
    EncodeFileRecord(HeaderOf(record), record.parameters, bytes);
    DWORD written = 0;
    int code = kOk;
    if (!WriteFile(file, bytes, sizeof bytes, &written, nullptr) || written != sizeof bytes) code = int(GetLastError());
    CloseHandle(file);
    return code;
}

}  // namespace tavirel
