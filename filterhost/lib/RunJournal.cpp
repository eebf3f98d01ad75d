#include "RunJournal.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "FilePaths.h"
#include "WrapperChannel.h"

namespace filterhost {
namespace {

std::mutex journalMutex;
std::vector<std::string> liveTemporaries;  // as the host's file calls take them

// Wine's own exports; absent on Windows.
template <typename Function>
Function WineExport(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// The path as the wrapper's shell sees it: under Wine the Unix path of the
// file, else the path as given.
std::string UnixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    static const auto toUnix = WineExport<UnixName>("wine_get_unix_file_name");
    if (toUnix == nullptr) return path;
    std::wstring wide = SystemPath(path);
    if (wide.rfind(L"\\\\?\\", 0) == 0) wide.erase(0, 4);
    char* unix = toUnix(wide.c_str());
    if (unix == nullptr) return path;
    std::string text(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

void Note(const std::string& line) {
    static const std::wstring journal = EnvironmentPath(L"FILTERHOST_JOURNAL_FILE");
    if (journal.empty() || WrapperIsGone()) return;
    // Opened for each line, so that every line is on disk before the file it
    // speaks of is created, whatever ends the process afterwards.
    if (FILE* f = _wfopen(journal.c_str(), L"ab")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

// Whether the Unix process pid still runs: its /proc entry exists and it is
// not a zombie (a wrapper killed but not yet reaped by its parent).
bool ProcessRuns(const std::string& pid) {
    using DosName = wchar_t*(CDECL*)(const char*);
    static const auto toDos = WineExport<DosName>("wine_get_dos_file_name");
    if (toDos == nullptr) return true;
    wchar_t* dos = toDos(("/proc/" + pid + "/stat").c_str());
    if (dos == nullptr) return false;
    FILE* f = _wfopen(dos, L"rb");
    HeapFree(GetProcessHeap(), 0, dos);
    if (f == nullptr) return false;
    char stat[512] = "";
    const size_t n = std::fread(stat, 1, sizeof stat - 1, f);
    std::fclose(f);
    const std::string text(stat, n);
    // "pid (command) S ...": the state follows the last parenthesis.
    const size_t close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return false;
    const char state = text[close + 2];
    return state != 'Z' && state != 'X';
}

}  // namespace

void JournalTotal(int outputs) { Note("total " + std::to_string(outputs)); }

void JournalTemporary(const std::string& path) {
    std::lock_guard<std::mutex> lock(journalMutex);
    liveTemporaries.push_back(path);
    Note("temp " + UnixPath(path));
}

void JournalTemporaryGone(const std::string& path, bool written, const std::string& final) {
    std::lock_guard<std::mutex> lock(journalMutex);
    liveTemporaries.erase(std::remove(liveTemporaries.begin(), liveTemporaries.end(), path), liveTemporaries.end());
    Note("gone " + UnixPath(path));
    if (written) Note("written " + UnixPath(final));
}

void RemoveJournalTemporaries() {
    std::lock_guard<std::mutex> lock(journalMutex);
    for (const std::string& path : liveTemporaries) {
        DeleteFileW(SystemPath(path).c_str());
        Note("gone " + UnixPath(path));
    }
    liveTemporaries.clear();
}

void WatchWrapper() {
    char pid[32];
    const DWORD length = GetEnvironmentVariableA("FILTERHOST_WRAPPER_PID", pid, sizeof pid);
    if (length == 0 || length >= sizeof pid) return;
    std::thread([wrapper = std::string(pid)] {
        while (ProcessRuns(wrapper)) Sleep(200);
        // Nobody is left to answer or to read a result: abort as Ctrl+C
        // would, which ends a filter at its next poll and cancels a dialog.
        WrapperGone();
        RequestAbort();
        Sleep(1500);
        RemoveJournalTemporaries();
        RemoveWrapperFiles();
        TerminateProcess(GetCurrentProcess(), 1);
    }).detach();
}

}  // namespace filterhost
