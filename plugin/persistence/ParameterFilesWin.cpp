// Parameter files through the system's open and save dialogs.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "../entry/ErrorMessage.h"
#include "../util/CountedString.h"
#include "../util/ResultCodes.h"
#include "ParameterCodec.h"
#include "ParameterFiles.h"

namespace tavirel {
namespace {

constexpr DWORD kOpenFlags = 0x1004;  // OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
constexpr DWORD kSaveFlags = 0x806;   // OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST
constexpr int kNameBuffer = 256;

int LastErrorCode() {
    const DWORD error = GetLastError();
    return error != 0 ? int(error) : kFileNotFound;
}

// Both dialogs: owned by the parameter dialog (so they stay above it and it
// waits for them), the first filter selected, an empty name buffer of
// kNameBuffer characters, the system's title and folder, extension "prm".
OPENFILENAMEA FileDialog(HWND owner, const char* filters, DWORD flags, char* path) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kNameBuffer;
    dialog.Flags = flags;
    dialog.lpstrDefExt = "prm";
    return dialog;
}

}  // namespace

int LoadParameterFile(HWND owner) {
    char path[kNameBuffer] = "";
    OPENFILENAMEA dialog = FileDialog(owner, "Parameters (*.prm)\0*.prm\0Any (*.*)\0*.*\0", kOpenFlags, path);
    if (!GetOpenFileNameA(&dialog)) return kOk;

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrorCode();
    unsigned char bytes[kFileRecordSize] = {};
    DWORD got = 0;
    int code = kOk;
    if (!ReadFile(file, bytes, sizeof bytes, &got, nullptr)) {
        code = LastErrorCode();
    } else {
        const RecordHeader header = DecodeFileHeader(bytes);
        if (got < kFileRecordSize) {
            // An incomplete record is of no type we know: it is never taken.
            ShowErrorMessage(kMsgUnknownFileType);
        } else if (header.signature != kRecordSignature) {
            ShowErrorMessage(kMsgForeignParameters);
        } else if (header.recordType != kRecordType) {
            ShowErrorMessage(kMsgUnknownFileType);
        } else if (header.formatVersion != kRecordFormatVersion) {
            ShowErrorMessage(kMsgUnreadableVersion);
        } else {
            DecodeFileParameters(bytes, &currentParameters);
            ClampParameters(&currentParameters);
        }
    }
    CloseHandle(file);
    return code;
}

int SaveParameterFile(HWND owner) {
    char path[kNameBuffer] = "";
    OPENFILENAMEA dialog = FileDialog(owner, "Parameters (*.prm)\0\0", kSaveFlags, path);
    if (!GetSaveFileNameA(&dialog)) return kOk;

    // The record: zeros, the header, the settings, then the chosen file's own
    // name (from where the dialog says the name starts) as the record's name.
    FilterParameters saved = currentParameters;
    const char* name = path + (dialog.nFileOffset < kNameBuffer ? dialog.nFileOffset : 0);
    CountedFromText(name, saved.name);
    unsigned char bytes[kFileRecordSize];
    EncodeFileRecord(StandardHeader(), saved, bytes);

    // Written beside the target under another name and then moved over it,
    // so a failure never leaves a partial file where the user's file was.
    char temporary[MAX_PATH + 16];
    const size_t length = strlen(path);
    if (length + 5 >= sizeof temporary) return kFileNotFound;
    memcpy(temporary, path, length);
    memcpy(temporary + length, ".tmp", 5);
    HANDLE file = CreateFileA(temporary, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrorCode();
    DWORD written = 0;
    int code = kOk;
    if (!WriteFile(file, bytes, sizeof bytes, &written, nullptr) || written != sizeof bytes) code = LastErrorCode();
    CloseHandle(file);
    if (code == kOk && !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) code = LastErrorCode();
    if (code != kOk) DeleteFileA(temporary);
    return code;
}

}  // namespace tavirel
