// The steps of `filterhost run` that a batch of files takes too, one file at
// a time; defined in RunCommand.cpp beside the single run that uses them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../lib/Document.h"
#include "../lib/FilterSession.h"
#include "../lib/ImageConversion.h"
#include "../lib/WindowWatch.h"
#include "HostOptionsParser.h"

namespace filterhost {

// Ctrl+C asks the plug-in to abort, as the wrapper's abort file does.
BOOL WINAPI OnConsoleBreak(DWORD event);

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes, std::string* why);
bool HandleBytesFromParameterFile(const std::string& path, std::vector<uint8_t>* out, std::string* error);
// The handle's bytes from --prm or --parameters (none when neither is given);
// false, the reason told on standard error, when the file cannot be used.
bool HandleBytesFromArguments(const Arguments& args, std::vector<uint8_t>* handleBytes);

// The descriptor of --play (empty when not given), checked to be one; false,
// the reason told on standard error, when it cannot be used. Also refuses
// --silent without --play, and --play or --record on a host without the
// descriptor suites.
bool PlaybackFromArguments(const Arguments& args, const HostOptions& options, std::vector<uint8_t>* descriptor);
// Whether the run's flow may open the plug-in's dialog: the menu flow, or
// a step played with its dialog, on a host that lets windows open.
bool DialogMayOpen(const Arguments& args, const HostOptions& options);
// The descriptor a run recorded into the --record file; false, the reason
// told, when there is none or it cannot be written.
bool WriteRecordedDescriptor(const std::string& path, Handle recorded);

// Writes a file at the path it is given; false with the reason.
using FileWriter = std::function<bool(const std::string& path, std::string* error)>;

// The file written under a temporary name beside path and moved into place;
// nothing left behind on any failure or abort.
bool WriteAtomically(const std::string& path, const FileWriter& write, std::string* error);
// A result's rows, their compressed stream coded in up to `threads` parts side by side.
bool WriteAtomically(const std::string& path, const PngRows& rows, PngCompression compression, int threads,
                     std::string* error);

// fast, default or small; false for any other text.
bool ParseCompression(const std::string& text, PngCompression* compression);

// The host options for one document: the selection clipped to its image.
HostOptions OptionsFor(const Document& document, HostOptions options);

int DocumentMode(const Document& document, const HostOptions& options);
int DocumentDepth(const Document& document, const HostOptions& options);
std::string ResultMeaning(int result, const std::vector<UiEvent>& events);

// The message boxes among the driver's events, one line each.
void PrintMessages(const std::vector<UiEvent>& events, FILE* to);

}  // namespace filterhost
