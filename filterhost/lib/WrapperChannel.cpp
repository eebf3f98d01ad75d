#include "WrapperChannel.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "FilePaths.h"

namespace filterhost {
namespace {

std::atomic<bool> abortRequested{false};

// The value of an environment variable as a path for the wide file API: a
// Unix path ("/tmp/x") becomes the DOS name Wine gives it ("Z:\tmp\x"); empty
// when the variable is unset.
std::wstring PathFromEnvironment(const wchar_t* name) {
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

}  // namespace

void RequestAbort() { abortRequested.store(true); }

bool AbortRequested() {
    if (abortRequested.load()) return true;
    static const std::wstring abortFile = PathFromEnvironment(L"FILTERHOST_ABORT_FILE");
    if (abortFile.empty() || GetFileAttributesW(abortFile.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    abortRequested.store(true);
    return true;
}

bool AbortRequestedBeforeCommit() {
    const std::wstring hold = PathFromEnvironment(L"FILTERHOST_TEST_HOLD_FILE");
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

int ReportExitStatus(int status) {
    const std::wstring path = PathFromEnvironment(L"FILTERHOST_STATUS_FILE");
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

}  // namespace filterhost
