// Text in and out of the host's command line. Arguments arrive through the
// wide API and become UTF-8 once, in main; text goes out so that those names
// come back as typed, and lines end in a bare line feed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace filterhost {

// The program's arguments, program name first, as UTF-8.
std::vector<std::string> Utf8Arguments();

// Standard output and error without the C runtime's LF to CRLF translation.
void UseBinaryStandardStreams();

// Whether the stream is an interactive console (not a file, a pipe or NUL).
bool IsConsole(std::FILE* stream);

// UTF-8 text to the stream: to a console as UTF-16, which it shows whatever
// its code page; to a file or a pipe as the bytes themselves.
void WriteText(std::FILE* stream, const std::string& text);

}  // namespace filterhost
