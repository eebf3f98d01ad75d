#include "WrapperChannel.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "FilePaths.h"

namespace filterhost {
namespace {

std::atomic<bool> abortRequested{false};
std::atomic<bool> wrapperGone{false};

}  // namespace

std::wstring EnvironmentPath(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, sizeof value / sizeof value[0]);
    if (length == 0 || length >= sizeof value / sizeof value[0]) return {};
    if (value[0] == L'/') {
        // Wine's own export; absent on Windows, where no path starts with '/'.
        using DosName = wchar_t*(CDECL*)(const char*);
        const auto toDos = reinterpret_cast<DosName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
        if (toDos != nullptr) {
            wchar_t* dos = toDos(Utf8FromWide(value).c_str());
            if (dos != nullptr) {
                std::wstring path(dos);
                HeapFree(GetProcessHeap(), 0, dos);
                return path;
            }
        }
    }
    return value;
}

void RequestAbort() { abortRequested.store(true); }

bool AbortRequested() {
    if (abortRequested.load()) return true;
    static const std::wstring abortFile = EnvironmentPath(L"FILTERHOST_ABORT_FILE");
    if (abortFile.empty() || GetFileAttributesW(abortFile.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    abortRequested.store(true);
    return true;
}

bool AbortRequestedBeforeCommit() {
    const std::wstring hold = EnvironmentPath(L"FILTERHOST_TEST_HOLD_FILE");
    if (!hold.empty()) {
        const HANDLE file = CreateFileW(hold.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        for (int waited = 0; waited < 30000 && !AbortRequested(); waited += 20) Sleep(20);
    }
    return AbortRequested();
}

void JoinWrapperDesktop() {
    wchar_t name[256];
    const DWORD length = GetEnvironmentVariableW(L"FILTERHOST_DESKTOP", name, sizeof name / sizeof name[0]);
    if (length == 0 || length >= sizeof name / sizeof name[0]) return;
    // Kept open for the life of the process: the desktop lives while a handle does.
    HDESK desktop = CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop != nullptr) SetThreadDesktop(desktop);
}

void WrapperGone() { wrapperGone.store(true); }
bool WrapperIsGone() { return wrapperGone.load(); }

void RemoveWrapperFiles() {
    std::wstring folder;
    for (const wchar_t* name : {L"FILTERHOST_ABORT_FILE", L"FILTERHOST_STATUS_FILE", L"FILTERHOST_JOURNAL_FILE"}) {
        const std::wstring path = EnvironmentPath(name);
        if (path.empty()) continue;
        DeleteFileW(path.c_str());
        folder = path.substr(0, path.find_last_of(L"\\/"));
    }
    if (!folder.empty()) RemoveDirectoryW(folder.c_str());
}

int ReportExitStatus(int status) {
    if (wrapperGone.load()) {
        RemoveWrapperFiles();
        return status;
    }
    const std::wstring path = EnvironmentPath(L"FILTERHOST_STATUS_FILE");
    if (path.empty()) return status;
    if (FILE* f = _wfopen(path.c_str(), L"w")) {
        std::fprintf(f, "%d\n", status);
        std::fclose(f);
    }
    return status;
}

bool DisplayIsUnseen() {
    wchar_t value[8];
    return GetEnvironmentVariableW(L"FILTERHOST_UNSEEN_DISPLAY", value, 8) != 0;
}

bool WindowsAreUnseen() {
    if (DisplayIsUnseen()) return true;
    // Under Wine without DISPLAY the null driver serves: windows open, and
    // nobody sees them. (Windows itself has no DISPLAY, and Wine's own
    // export tells the two apart.)
    const bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    wchar_t display[8];
    return underWine && GetEnvironmentVariableW(L"DISPLAY", display, 8) == 0;
}

}  // namespace filterhost
