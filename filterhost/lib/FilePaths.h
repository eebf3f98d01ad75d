// Paths in our host are UTF-8 strings from the command line to the last call.
// On Windows they meet the system only through the wide API, so any name a
// user can type works whatever the ANSI code page, and long absolute paths
// take the "\\?\" form that lifts the 260-character limit.
#pragma once

#include <cstdio>
#include <string>

namespace filterhost {

// fopen for a UTF-8 path; null with errno set when it fails.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Why the last write, seek or close of the FILE at path failed, as the system
// says it ("No space left on device"). Under MinGW's runtime a full disk can
// leave errno at EINVAL (the buffered write fails inside a later seek), so a
// full disk is recognised by the system's own error or by its free space
// (under a megabyte left once a write failed).
std::string WriteErrorText(const std::string& path);

#ifdef _WIN32
// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// The path for a wide Win32 file call: made absolute and given the "\\?\"
// prefix once it is long enough to meet the 260-character limit.
std::wstring SystemPath(const std::string& path);

// The system's own text for an error code, without its line break.
std::string SystemErrorText(unsigned long code);
#endif

}  // namespace filterhost
