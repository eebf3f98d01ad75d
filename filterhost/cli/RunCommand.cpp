#include <windows.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "../../plugin/persistence/ParameterCodec.h"
#include "../lib/FilterSession.h"
#include "../lib/ImageConversion.h"
#include "../lib/UiDriver.h"
#include "../lib/WrapperChannel.h"
#include "Commands.h"
#include "HostOptionsParser.h"

namespace filterhost {

void PrintMessages(const std::vector<UiEvent>& events, FILE* to);

namespace {

const char kRunHelp[] =
    "usage: filterhost run PLUGIN.8bf INPUT.png OUTPUT.png [options]\n"
    "Applies a filter plug-in to a PNG image and writes the result as a PNG.\n"
    "\n"
    "Settings:\n"
    "  --prm FILE              a Tavirel parameter file (.prm): the filter runs at once\n"
    "                          with its settings, as the editor's repeat-last-filter does;\n"
    "                          a file that is not a Tavirel parameter record is refused\n"
    "  --parameters FILE       the raw bytes of the parameter handle, as a host keeps\n"
    "                          them between runs (any plug-in); runs the repeat flow\n"
    "  --save-parameters FILE  writes the parameter handle's bytes after the run\n"
    "  (neither --prm nor --parameters: the menu flow, in which the plug-in shows its\n"
    "   dialog before it filters)\n"
    "\n"
    "Image:\n"
    "  --rect L,T,R,B          the selection; only pixels inside it change (default: all)\n"
    "  PNG grey, RGB and RGBA at 8 and 16 bits are read. RGB becomes an RGB (8-bit) or\n"
    "  RGB48 (16-bit) document with 3 planes, RGBA the same with 4, whose alpha comes\n"
    "  back unchanged; grey becomes a grey document, which an RGB filter refuses. 16-bit\n"
    "  samples meet the host scale 0..32768 as h = (v*32768 + 32767) / 65535 and\n"
    "  v = (h*65535 + 16384) / 32768; a sample the filter left alone keeps its value.\n"
    "\n"
    "Output and status:\n"
    "  OUTPUT is written under a temporary name beside it and moved into place, so a\n"
    "  failed or interrupted run leaves no partial file; INPUT is never written.\n"
    "  Exit status 0 on success; 1 when the plug-in ended with a non-zero result (one\n"
    "  line names it, with the text of any message it showed) or the run was\n"
    "  aborted; 2 for a usage, file or plug-in loading error, or when Wine ended the\n"
    "  host before it finished; 3 when the plug-in left handles or locks behind.\n"
    "  A progress bar goes to standard error when it is a terminal; --quiet silences\n"
    "  it. Ctrl+C, or SIGINT or SIGTERM to the filterhost wrapper, asks the plug-in\n"
    "  to abort at its next poll: result 1, \"aborted\". An abort that comes later,\n"
    "  until the result is moved into place, also ends the run with 1 and leaves\n"
    "  OUTPUT as it was.\n"
    "\n"
    "Host variations (for testing plug-ins): --host-sig XXXX, --mode N, --planes N,\n"
    "  --depth N, --no-advance-state, --no-handle-suite, --no-padding, --mask,\n"
    "  --direct (whole-plane tiles as pointers into the image, not guarded copies),\n"
    "  --fail-advance-at N[:CODE] (the N-th advanceState fails), --abort-at N\n"
    "  (the N-th abort poll reports an abort).\n";

BOOL WINAPI OnConsoleBreak(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        FilterSession::RequestAbort();
        return TRUE;
    }
    return FALSE;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The plug-in's own record in native order with showDialog 0, from a .prm file.
bool HandleBytesFromParameterFile(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
    std::vector<uint8_t> file;
    if (!ReadFileBytes(path, &file)) {
        *error = "cannot read the parameter file " + path;
        return false;
    }
    if (!tavirel::IsAcceptableFileRecord(file.data(), file.size())) {
        *error = path + " is not a Tavirel parameter file (it needs 312 bytes starting 'Tvr1', 'Prms', version 1)";
        return false;
    }
    tavirel::ParameterRecord record{};
    tavirel::WriteRecordHeader(&record);
    tavirel::DecodeFileParameters(file.data(), &record.parameters);
    record.parameters.showDialog = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    out->assign(bytes, bytes + sizeof record);
    return true;
}

bool WriteAtomically(const std::string& path, const PngImage& png, std::string* error) {
    const std::string temporary = path + ".partial-" + std::to_string(GetCurrentProcessId());
    // An abort asked for after the filter ended, even while the result was
    // being written, still leaves OUTPUT as it was.
    if (AbortRequested()) {
        *error = "aborted; nothing written";
        return false;
    }
    if (!WritePng(temporary, png, error)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (AbortRequestedBeforeCommit()) {
        *error = "aborted; nothing written";
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = "cannot move the result into place as " + path + " (system error " + std::to_string(GetLastError()) + ")";
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

std::string ResultMeaning(int result) {
    switch (result) {
        case 1: return "aborted or cancelled";
        case -128: return "user cancelled";
        case -108: return "out of memory";
        case -109: return "no parameter handle";
        case -30100: return "bad parameters";
        default: return result > 0 ? "the plug-in's message" : "host error";
    }
}

}  // namespace

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out.flush());
}

int RunCommand(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[2], "--help") == 0) {
        std::fputs(kRunHelp, stdout);
        return 0;
    }
    std::vector<std::string> valueOptions = kHostValueOptions;
    for (const char* o : {"prm", "parameters", "save-parameters"}) valueOptions.push_back(o);
    std::vector<std::string> flagOptions = kHostFlagOptions;
    flagOptions.push_back("quiet");
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, 2, valueOptions, flagOptions, &args, &error) || args.positional.size() != 3) {
        Complain("%s", error.empty() ? "run takes PLUGIN.8bf INPUT.png OUTPUT.png" : error.c_str());
        std::fputs(kRunHelp, stderr);
        return 2;
    }
    if (args.Has("prm") && args.Has("parameters")) {
        Complain("--prm and --parameters both set the parameter handle: give one");
        return 2;
    }
    const std::string pluginPath = args.positional[0], inputPath = args.positional[1], outputPath = args.positional[2];

    PngImage inputPng;
    if (!ReadPng(inputPath, &inputPng, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    const Document original = DocumentFromPng(inputPng);

    std::vector<uint8_t> handleBytes;
    const bool haveHandle = args.Has("prm") || args.Has("parameters");
    if (args.Has("prm") && !HandleBytesFromParameterFile(args.Value("prm"), &handleBytes, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    if (args.Has("parameters") && !ReadFileBytes(args.Value("parameters"), &handleBytes)) {
        Complain("cannot read the parameter handle file %s", args.Value("parameters").c_str());
        return 2;
    }

    HostOptions options;
    if (!ApplyHostOptions(args, &options, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    if (!options.useWholeImage) {  // the selection never reaches past the image
        Rect& r = options.filterRect;
        r.left = int16(std::clamp<int>(r.left, 0, original.width));
        r.right = int16(std::clamp<int>(r.right, r.left, original.width));
        r.top = int16(std::clamp<int>(r.top, 0, original.height));
        r.bottom = int16(std::clamp<int>(r.bottom, r.top, original.height));
    }

    PluginModule plugin;
    if (!plugin.Load(pluginPath, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    const DWORD errType = GetFileType(GetStdHandle(STD_ERROR_HANDLE));
    FilterSession::RequestProgressBar(!args.Has("quiet") && errType == FILE_TYPE_CHAR);

    UiDriver driver;
    FilterSession session(plugin, original, options);
    if (haveHandle) session.SetParameters(NewHandleWithBytes(handleBytes));
    const int16 result = haveHandle ? session.RunRepeatFlow() : session.RunMenuFlow();

    if (args.Has("save-parameters") && session.parameters() != nullptr &&
        !WriteFileBytes(args.Value("save-parameters"), HandleBytes(session.parameters()))) {
        Complain("cannot write %s", args.Value("save-parameters").c_str());
        return 2;
    }
    const std::string leaks = session.LeakReport();
    if (result != 0) {
        if (result == 1 && session.abortPolls() > 0 && !session.advances().empty())
            Complain("the plug-in ended with result 1: aborted; nothing written");
        else if (result == 1 && !haveHandle)
            Complain("the plug-in ended with result 1: cancelled (no settings confirmed); nothing written");
        else
            Complain("the plug-in ended with result %d (%s); nothing written", result, ResultMeaning(result).c_str());
        PrintMessages(driver.Events(), stderr);
        return 1;
    }
    if (!WriteAtomically(outputPath, PngFromDocument(session.document(), original, inputPng), &error)) {
        Complain("%s", error.c_str());
        return AbortRequested() ? 1 : 2;
    }
    if (!leaks.empty()) {
        Complain("the plug-in left behind: %s", leaks.c_str());
        return 3;
    }
    return 0;
}

}  // namespace filterhost
