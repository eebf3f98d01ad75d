// wine-desktop-hold.exe: keeps open the desktop that windowless runs under
// Wine use (FILTERHOST_DESKTOP), so that the next run finds it ready. Wine
// manages each desktop in a process of its own (explorer.exe /desktop),
// started when a first window opens on it and ended a second after the last
// one has gone; a run after a pause would start it again, about a third of a
// second of its time. filterhost/wine/wine-run.sh starts this program and ends it once
// no run has come for a while.
//
// As started, it starts itself again as the holder, with that desktop as the
// holder's own (so neither process ever touches Wine's default desktop,
// which runs on a display and is shared with the runs that show windows),
// hands it a handle to itself, and waits to be ended. The holder opens a
// hidden window (and answers its messages), creates the file
// WINE_RUN_HOLD_MARKER names (runs wait for it: a desktop's process started
// by a run's program would inherit that program's descriptors, and held
// open here would keep its caller's pipes open too), and ends when the
// first process does. user32 is loaded only in the holder: importing it
// would put the first process on the default desktop. With --exit it ends at
// once (the wrapper's trivial program).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, sizeof value / sizeof value[0]);
    return length == 0 || length >= sizeof value / sizeof value[0] ? std::wstring() : std::wstring(value, length);
}

// user32's functions, found at run time (see above).
template <typename Function>
Function User32(HMODULE user32, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int Hold(HANDLE starter) {
    using CreateWindowFunction =
        HWND(WINAPI*)(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID);
    using WaitFunction = DWORD(WINAPI*)(DWORD, const HANDLE*, BOOL, DWORD, DWORD);
    using PeekFunction = BOOL(WINAPI*)(MSG*, HWND, UINT, UINT, UINT);
    using DispatchFunction = LRESULT(WINAPI*)(const MSG*);
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (user32 == nullptr) return 1;
    const auto create = User32<CreateWindowFunction>(user32, "CreateWindowExW");
    const auto wait = User32<WaitFunction>(user32, "MsgWaitForMultipleObjects");
    const auto peek = User32<PeekFunction>(user32, "PeekMessageW");
    const auto dispatch = User32<DispatchFunction>(user32, "DispatchMessageW");
    if (create == nullptr || wait == nullptr || peek == nullptr || dispatch == nullptr ||
        create(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr) == nullptr)
        return 1;
    const std::wstring marker = Environment(L"WINE_RUN_HOLD_MARKER");
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(file);
    // The window answers what is sent to it (a broadcast waits for every
    // top-level window) until the first process ends.
    while (wait(1, &starter, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (peek(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) dispatch(&message);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The wrapper's trivial program, which starts the prefix's Wine services
    // with nothing of the wrapper's open, and ends.
    if (argc == 2 && std::strcmp(argv[1], "--exit") == 0) return 0;
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0)
        return Hold(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10))));
    std::wstring desktop = Environment(L"FILTERHOST_DESKTOP");
    if (argc != 1 || desktop.empty() || Environment(L"WINE_RUN_HOLD_MARKER").empty()) return 2;

    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0))
        return 1;
    wchar_t program[MAX_PATH];
    const DWORD programLength = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (programLength == 0 || programLength >= MAX_PATH) return 1;
    std::wstring command = L"\"" + std::wstring(program, programLength) + L"\" --hold " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(self));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION holder{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &holder))
        return 1;
    CloseHandle(holder.hThread);
    WaitForSingleObject(holder.hProcess, INFINITE);  // over only when the holder could not hold
    return 1;
}
