#include "WindowsVersion.h"

#include <windows.h>

#include "filterhost/lib/FilePaths.h"

namespace filterhost {

bool SetWineWindowsVersion(const std::string& exeName, const std::string& version) {
    const std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExA(h, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                    DWORD(version.size() + 1));
    RegCloseKey(h);
    return set == ERROR_SUCCESS;
}

int RunCapturingOutput(const std::string& commandLine, std::string* output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring mutableLine = WideFromUtf8(commandLine);
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return -1;
    }
    CloseHandle(writeEnd);
    // Read what is there until the process has ended, rather than until the
    // pipe's end of file: a helper that Wine starts for the child (its desktop
    // process, on the first window) inherits the child's standard handles and
    // lives on, so the end of file may never come.
    char chunk[4096];
    const auto drain = [&] {
        DWORD available = 0, got = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(readEnd, chunk, available < sizeof chunk ? available : DWORD(sizeof chunk), &got, nullptr) &&
               got > 0)
            output->append(chunk, got);
    };
    while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) drain();
    drain();
    CloseHandle(readEnd);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return int(code);
}

std::string ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string folder = Utf8FromWide(std::wstring(path, n));
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

}  // namespace filterhost

namespace filterhost {

int RunHostWithWindowsVersion(const std::string& version, const std::string& arguments, std::string* output) {
    const std::string folder = ProgramFolder();
    const std::string name = "filterhost-" + version + ".exe";
    if (!CopyFileW(SystemPath(folder + "filterhost.exe").c_str(), SystemPath(folder + name).c_str(), FALSE)) return -1;
    if (!SetWineWindowsVersion(name, version)) return -1;
    return RunCapturingOutput("\"" + folder + name + "\" " + arguments, output);
}

}  // namespace filterhost
