#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <limits>
#include <memory>
#include <thread>
#include <utility>

#include "../../plugin/persistence/ParameterCodec.h"
#include "../lib/DescriptorSuite.h"
#include "../lib/FilePaths.h"
#include "../lib/FilterSession.h"
#include "../lib/ImageConversion.h"
#include "../lib/PluginModes.h"
#include "../lib/WindowWatch.h"
#include "../lib/FileChecks.h"
#include "../lib/RunJournal.h"
#include "../lib/WrapperChannel.h"
#include "BatchRun.h"
#include "Commands.h"
#include "ConsoleText.h"
#include "HostCoordinates.h"
#include "HostOptionsParser.h"
#include "RunSteps.h"

namespace filterhost {
namespace {

const char kRunHelp[] =
    "usage: filterhost run PLUGIN.8bf INPUT.png OUTPUT.png [options]\n"
    "       filterhost run PLUGIN.8bf (--prm FILE | --parameters FILE) --out-dir DIR INPUT.png...\n"
    "Applies a filter plug-in to a PNG image and writes the result as a PNG.\n"
    "\n"
    "Settings:\n"
    "  --prm FILE              a Tavirel parameter file (.prm): the filter runs at once\n"
    "                          with its settings, as the editor's repeat-last-filter does;\n"
    "                          a file that is not a Tavirel parameter record is refused\n"
    "  --parameters FILE       the raw bytes of the parameter handle, as a host keeps\n"
    "                          them between runs (any plug-in); runs the repeat flow\n"
    "  --save-parameters FILE  writes the parameter handle's bytes after the run\n"
    "  (neither --prm nor --parameters: the menu flow, as an image editor's Filter\n"
    "   menu runs it: the plug-in's dialog opens on $DISPLAY (with no DISPLAY set\n"
    "   nobody could answer it, so the run is refused with status 2);\n"
    "   OK filters and writes OUTPUT; Cancel, or an interrupt while the dialog is\n"
    "   open, writes nothing and ends with status 1)\n"
    "\n"
    "Actions (the descriptor suites, through which an editor records a filter's\n"
    "settings as a step of an action and plays them back):\n"
    "  --record FILE           after a successful run, writes the descriptor the plug-in\n"
    "                          left for the host to record (the one it wrote at OK, or\n"
    "                          for a run without its dialog) to FILE, in the text form\n"
    "                          of docs/hosts.md; status 2 when it left none\n"
    "  --play FILE             hands the plug-in a recorded descriptor as an action's\n"
    "                          step does, with the dialog to be shown (it opens on the\n"
    "                          recorded values); a file that is not a descriptor is\n"
    "                          refused with status 2\n"
    "  --silent                with --play: the step played with its dialog turned off;\n"
    "                          the plug-in filters with the recorded values, no window\n"
    "  --play works with the menu flow (no --prm or --parameters: Parameters first) and\n"
    "  with the repeat flow, in single runs and batches, where every file gets the step.\n"
    "\n"
    "Pictures of the dialog (for documentation and tests; the menu flow only):\n"
    "  --screenshot FILE.png   saves the plug-in's dialog as shown, once it has opened and\n"
    "                          painted (under a temporary name, then moved into place);\n"
    "                          the run then goes on. FILE may not be INPUT or OUTPUT (by\n"
    "                          any name); a picture asked for and not taken fails the\n"
    "                          run with status 2, nothing written\n"
    "  --screenshot-pick X,Y   with --screenshot: first clicks the Destination swatch and\n"
    "                          then the image at pixel X,Y in the preview (fit zoom),\n"
    "                          leaving the pointer there; after the capture the dialog\n"
    "                          is cancelled. Nothing else in a run presses, closes or\n"
    "                          types into a window: the dialog, Load... and Save... and\n"
    "                          any message are the person's to answer (a run whose\n"
    "                          windows nobody can see answers a message with OK and\n"
    "                          prints it)\n"
    "\n"
    "Image:\n"
    "  --rect L,T,R,B          the selection; only pixels inside it change (default: all);\n"
    "                          0..32767, L < R and T < B; clipped to the image\n"
    "  PNG grey (1 to 16 bits), grey + alpha, RGB, RGBA and palette images are read,\n"
    "  interlaced or not, up to 32767 pixels a side (the host interface's coordinates\n"
    "  are 16-bit; with --host-profile photoshop, which offers big documents, as large\n"
    "  as memory allows, for a plug-in that takes them). A damaged file (a chunk whose checksum fails, a broken or "
    "short\n"
    "  image stream) is refused with status 2. RGB becomes an RGB (8-bit) or\n"
    "  RGB48 (16-bit) document with 3 planes, RGBA the same with 4, whose alpha comes\n"
    "  back unchanged; grey becomes a grey document (image mode 1, or 10 at 16 bits).\n"
    "  As in an image editor, the plug-in is called only for a document whose mode (as\n"
    "  --mode sets it, or the image's) its property list takes, in its 'enbl'\n"
    "  expression or else its 'mode' flags; any other is refused with status 2. 16-bit\n"
    "  samples meet the host scale 0..32768 as h = (v*32768 + 32767) / 65535 and\n"
    "  v = (h*65535 + 16384) / 32768; a sample the filter left alone keeps its value.\n"
    "  OUTPUT keeps INPUT's size, depth and channels, and the chunks that say how its\n"
    "  colours and the picture are to be read: the colour profile and colour space\n"
    "  (iCCP, sRGB, gAMA, cHRM, cICP), the physical pixel size (pHYs), text (tEXt, zTXt,\n"
    "  iTXt) and Exif (eXIf), unchanged (up to 64 MiB of them). Other chunks are not\n"
    "  carried over: tRNS (its key becomes an alpha channel), sBIT, bKGD, hIST, sPLT\n"
    "  and tIME, which the filtered pixels no longer match, and any unknown ones.\n"
    "\n"
    "Output and status:\n"
    "  --compression fast|default|small\n"
    "                          how OUTPUT's image data is packed; the pixels are the\n"
    "                          same with each. default: a filter chosen for each row\n"
    "                          and the host's own fast deflate coder; photographs\n"
    "                          come out about half their unfiltered size at 8 bits.\n"
    "                          fast: one filter (Up) on every row and, at 16 bits, no\n"
    "                          search for repeats: 1.1 to 1.3 times default's speed at\n"
    "                          8 bits and 1.3 to 2.7 at 16, files 4 to 5 % larger.\n"
    "                          small: each block also through zlib's slowest search,\n"
    "                          the shorter kept: on photographs as default (up to 2 %\n"
    "                          smaller), on drawn or noise-free images up to 45 %\n"
    "                          smaller; 9 to 25 times slower than default\n"
    "  OUTPUT is checked before INPUT is read: a folder, a device such as /dev/full, or\n"
    "  a folder that takes no new file is refused with status 2 and the system's reason.\n"
    "  OUTPUT is written under a temporary name beside it and moved into place, so a\n"
    "  failed or interrupted run leaves no partial file. INPUT is never written, but\n"
    "  OUTPUT may name the same file: it is then replaced, and only when the run\n"
    "  succeeds; after a failure it is as it was.\n"
    "  Exit status 0 on success; 1 when the plug-in ended with a non-zero result (one\n"
    "  line names it, with the text of any message it showed) or the run was\n"
    "  aborted; 2 for a usage, file or plug-in loading error, when memory runs out,\n"
    "  or when Wine ended the host before it finished; 3 when the plug-in left\n"
    "  handles or locks behind.\n"
    "  A progress bar goes to standard error when it is a console or terminal, redrawn\n"
    "  at most ten times a second; --quiet silences it. Ctrl+C, or SIGINT or SIGTERM\n"
    "  to the filterhost wrapper, asks the plug-in to abort at its next poll: result\n"
    "  1, \"aborted\". An abort that comes later, until the result is moved into\n"
    "  place, also ends the run with 1 and leaves OUTPUT as it was. A wrapper killed\n"
    "  outright (SIGKILL, which nothing can catch) leaves a host that notices within a\n"
    "  second and ends the same way, removing its temporary files; a host killed\n"
    "  outright leaves a wrapper that removes them, says which signal it was and how\n"
    "  many files were written, and ends with 128 + the signal.\n"
    "\n"
    "Batches:\n"
    "  --out-dir DIR           every name after the plug-in is an input; each result is\n"
    "                          written to DIR under its input's file name, through its own\n"
    "                          temporary file as above (an existing file there is replaced\n"
    "                          only when that input succeeds). One process runs the plug-in\n"
    "                          on the files in order, one repeat-flow run at a time, the\n"
    "                          parameter handle kept from run to run as an editor keeps it;\n"
    "                          --save-parameters writes it after the last. While a file is\n"
    "                          filtered the next is read and the last written on threads\n"
    "                          of their own, holding at most one image more than a single\n"
    "                          run. Refused up front with status 2, nothing written: no\n"
    "                          --prm or --parameters (or --screenshot), a DIR that is not\n"
    "                          a folder, a name that is not an existing file (so an OUTPUT\n"
    "                          given as to a single run is refused), two inputs with the\n"
    "                          same file name (case ignored).\n"
    "  A file that fails (unreadable or damaged, a mode the plug-in does not take, a\n"
    "  plug-in error) is named on standard error with its reason, and the others go on.\n"
    "  Exit status 0 when every file was written; otherwise the highest status one of\n"
    "  them would have ended a single run with (a damaged file is 2, a plug-in error 1;\n"
    "  3 when a plug-in left handles behind, its file written), and a last line names\n"
    "  the files that failed. An interrupt aborts the file being filtered, drops the\n"
    "  one being written and reads no more; outputs already in place stay; status 1.\n"
    "  On a terminal each file starts with a line \"[K/N] INPUT\" and its progress bar.\n"
    "\n"
    "Host profiles: --host-profile NAME behaves as editors that differ from this host\n"
    "  do (docs/hosts.md says where each was seen): photoshop (commits the output\n"
    "  buffer wherever outRect lies, selection or not), no-kept-handle (Start comes\n"
    "  with no parameter handle), no-sampling (samplingSupport 0, every request at full\n"
    "  resolution), rounds-down (the image reduced at rate n is floor(W / n) wide),\n"
    "  strict-bounds (displayPixels reads the pixel map as its bounds say, refusing\n"
    "  one larger than its rows), no-trackbar (the common controls' trackbar class\n"
    "  left unregistered).\n"
    "Host variations (for testing plug-ins): --host-sig XXXX, --mode N, --planes N,\n"
    "  --depth N, --no-advance-state, --no-handle-suite, --no-padding, --mask,\n"
    "  --direct (whole-plane tiles as pointers into the image, not guarded copies),\n"
    "  --no-descriptors (descriptorParameters null), --null-descriptor-procs (the\n"
    "  structure with no read or write procs), --no-windows (every window the plug-in\n"
    "  tries to open is refused, and the run then fails with status 1),\n"
    "  --fail-advance-at N[:CODE] (the N-th advanceState fails), --abort-at N\n"
    "  (the N-th abort poll reports an abort), --no-bar-classes (the common controls'\n"
    "  trackbar class left unregistered, so a dialog that uses it cannot open).\n";

}  // namespace

BOOL WINAPI OnConsoleBreak(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        FilterSession::RequestAbort();
        return TRUE;
    }
    return FALSE;
}

// The whole file; false with the reason in `why`.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes, std::string* why) {
    std::FILE* f = OpenFile(path, "rb");
    if (f == nullptr) {
        *why = std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    if (!ok) *why = "a read failed";
    std::fclose(f);
    return ok;
}

// The plug-in's own record in native order with showDialog 0, from a .prm file.
bool HandleBytesFromParameterFile(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
    std::vector<uint8_t> file;
    std::string why;
    if (!ReadFileBytes(path, &file, &why)) {
        *error = "cannot read the parameter file " + path + ": " + why;
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

namespace {

// A file removed again when this goes out of scope, unless it was kept: every
// way out of a write but success leaves nothing behind.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) { JournalTemporary(path_); }
    ~TemporaryFile() {
        if (kept_) return;
        DeleteFileW(SystemPath(path_).c_str());
        JournalTemporaryGone(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    // Moved into place as final: no longer a temporary.
    void Kept(const std::string& final) {
        kept_ = true;
        JournalTemporaryGone(path_, true, final);
    }

private:
    std::string path_;
    bool kept_ = false;
};

}  // namespace

namespace {

// Why --screenshot cannot be honoured, before any work: a run with its
// settings given opens no dialog, and the picture never takes the place of
// the run's own files, by whatever name they are reached (a hard link too).
std::string ScreenshotProblem(const Arguments& args, const std::string& input, const std::string& output,
                              bool haveHandle) {
    const std::string shot = args.Value("screenshot");
    if (haveHandle)
        return "--screenshot captures the menu flow's dialog, and a run with --prm or --parameters opens none";
    if (SameFile(shot, input)) return "--screenshot " + shot + " names the INPUT file";
    if (SameFile(shot, output)) return "--screenshot " + shot + " names the OUTPUT file";
    const std::string problem = OutputProblem(shot);
    return problem.empty() ? "" : "--screenshot: " + problem;
}

// Why the dialog's screenshot is not there after the run, or empty.
std::string ScreenshotMissing(const std::vector<UiEvent>& events) {
    for (const UiEvent& e : events)
        if (e.kind == "parameters") return e.text == "captured" ? "" : (e.text.empty() ? "not captured" : e.text);
    return "the plug-in opened no dialog";
}

}  // namespace

HostOptions OptionsFor(const Document& document, HostOptions options) {
    if (!options.useWholeImage) {  // the selection never reaches past the image
        Rect& r = options.filterRect;
        r.left = int16(std::clamp<int>(r.left, 0, document.width));
        r.right = int16(std::clamp<int>(r.right, r.left, document.width));
        r.top = int16(std::clamp<int>(r.top, 0, document.height));
        r.bottom = int16(std::clamp<int>(r.bottom, r.top, document.height));
    }
    return options;
}

bool HandleBytesFromArguments(const Arguments& args, std::vector<uint8_t>* handleBytes) {
    std::string error;
    if (args.Has("prm") && !HandleBytesFromParameterFile(args.Value("prm"), handleBytes, &error)) {
        Complain("%s", error.c_str());
        return false;
    }
    std::string why;
    if (args.Has("parameters") && !ReadFileBytes(args.Value("parameters"), handleBytes, &why)) {
        Complain("cannot read the parameter handle file %s: %s", args.Value("parameters").c_str(), why.c_str());
        return false;
    }
    return true;
}

bool PlaybackFromArguments(const Arguments& args, const HostOptions& options, std::vector<uint8_t>* descriptor) {
    if (args.Has("silent") && !args.Has("play")) {
        Complain("--silent plays a recorded step without its dialog: it needs --play FILE");
        return false;
    }
    if ((args.Has("play") || args.Has("record")) && options.descriptors != DescriptorSupport::Full) {
        Complain("--play and --record need the host's descriptor suites, which this host variation leaves out");
        return false;
    }
    if (!args.Has("play")) return true;
    const std::string path = args.Value("play");
    std::string why;
    if (!ReadFileBytes(path, descriptor, &why)) {
        Complain("cannot read the descriptor file %s: %s", path.c_str(), why.c_str());
        return false;
    }
    Descriptor parsed;
    if (!ParseDescriptorText(std::string(descriptor->begin(), descriptor->end()), &parsed, &why)) {
        Complain("%s is not a recorded descriptor: %s", path.c_str(), why.c_str());
        return false;
    }
    return true;
}

bool DialogMayOpen(const Arguments& args, const HostOptions& options) {
    if (options.refuseWindows) return false;
    if (args.Has("play")) return !args.Has("silent");
    return !args.Has("prm") && !args.Has("parameters");
}

bool WriteRecordedDescriptor(const std::string& path, Handle recorded) {
    if (recorded == nullptr) {
        Complain("the plug-in left no descriptor to record; %s not written", path.c_str());
        return false;
    }
    if (!WriteFileBytes(path, HandleBytes(recorded))) {
        Complain("cannot write %s", path.c_str());
        return false;
    }
    return true;
}

bool ParseCompression(const std::string& text, PngCompression* compression) {
    const std::pair<const char*, PngCompression> names[] = {
        {"fast", PngCompression::Fast}, {"default", PngCompression::Default}, {"small", PngCompression::Small}};
    for (const auto& [name, value] : names)
        if (text == name) return *compression = value, true;
    return false;
}

bool WriteAtomically(const std::string& path, const FileWriter& write, std::string* error) {
    // An abort asked for after the filter ended, even while the result was
    // being written, still leaves OUTPUT as it was.
    if (AbortRequested()) {
        *error = "aborted; nothing written";
        return false;
    }
    TemporaryFile temporary(path + ".partial-" + std::to_string(GetCurrentProcessId()));
    if (!write(temporary.path(), error)) return false;
    if (AbortRequestedBeforeCommit()) {
        *error = "aborted; nothing written";
        return false;
    }
    if (!MoveFileExW(SystemPath(temporary.path()).c_str(), SystemPath(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = GetLastError();
        *error = "cannot move the result into place as " + path + ": " + SystemErrorText(code);
        return false;
    }
    temporary.Kept(path);  // it is the output now
    return true;
}

bool WriteAtomically(const std::string& path, const PngRows& rows, PngCompression compression, int threads,
                     std::string* error) {
    return WriteAtomically(
        path,
        [&rows, compression, threads](const std::string& temporary, std::string* why) {
            return WritePngRows(temporary, rows, why, compression, threads);
        },
        error);
}

// The image mode and depth the plug-in will be told the document has.
int DocumentMode(const Document& document, const HostOptions& options) {
    return options.imageModeOverride >= 0 ? options.imageModeOverride : document.imageMode;
}
int DocumentDepth(const Document& document, const HostOptions& options) {
    return options.depthOverride >= 0 ? options.depthOverride : document.depth;
}

// A positive result with no message shown is a system error code that the
// plug-in passed on (a dialog that could not be created, a file operation).
std::string ResultMeaning(int result, const std::vector<UiEvent>& events) {
    bool shown = false;
    for (const UiEvent& e : events) shown = shown || e.kind == "message";
    if (result > 1 && !shown) return "no message shown; as a system error code: " + SystemErrorText(unsigned(result));
    switch (result) {
        case 1: return "aborted or cancelled";
        case -128: return "user cancelled";
        case -108: return "out of memory";
        case -109: return "no parameter handle";
        case -30100: return "bad parameters";
        case -30101: return "the plug-in does not take this image mode";
        case -30900: return "the plug-in finds the host insufficient";
        default: return result > 0 ? "the plug-in's message" : "host error";
    }
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = OpenFile(path, "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

int RunCommand(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[2], "--help") == 0) {
        std::fputs(kRunHelp, stdout);
        return 0;
    }
    std::vector<std::string> valueOptions = kHostValueOptions;
    for (const char* o :
         {"prm", "parameters", "save-parameters", "screenshot", "screenshot-pick", "compression", "record", "play"})
        valueOptions.push_back(o);
    std::vector<std::string> flagOptions = kHostFlagOptions;
    flagOptions.push_back("quiet");
    flagOptions.push_back("silent");
    valueOptions.push_back("out-dir");
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, 2, valueOptions, flagOptions, &args, &error) ||
        (args.Has("out-dir") ? args.positional.empty() : args.positional.size() != 3)) {
        Complain("%s", error.empty() ? "run takes PLUGIN.8bf INPUT.png OUTPUT.png" : error.c_str());
        std::fputs(kRunHelp, stderr);
        return 2;
    }
    if (args.Has("prm") && args.Has("parameters")) {
        Complain("--prm and --parameters both set the parameter handle: give one");
        return 2;
    }
    HostOptions options;
    if (!ApplyHostOptions(args, &options, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    PngCompression compression = PngCompression::Default;
    if (args.Has("compression") && !ParseCompression(args.Value("compression"), &compression)) {
        Complain("--compression takes fast, default or small, not \"%s\"", args.Value("compression").c_str());
        return 2;
    }
    std::vector<uint8_t> playback;
    if (!PlaybackFromArguments(args, options, &playback)) return 2;
    if (args.Has("out-dir")) return RunBatchCommand(args, options, compression, playback);
    const std::string pluginPath = args.positional[0], inputPath = args.positional[1], outputPath = args.positional[2];
    const bool haveHandle = args.Has("prm") || args.Has("parameters");
    // What could never be written is said before anything is read.
    std::string problem = InputProblem(inputPath);
    if (problem.empty()) problem = OutputProblem(outputPath);
    if (problem.empty() && args.Has("screenshot")) problem = ScreenshotProblem(args, inputPath, outputPath, haveHandle);
    if (!problem.empty()) {
        Complain("%s; nothing written", problem.c_str());
        return 2;
    }
    JournalTotal(1);

    Document original;
    PngOrigin inputPng;
    if (!ReadPngDocument(inputPath, &original, &inputPng, &error,
                         options.bigDocuments ? std::numeric_limits<int>::max() : kLargest16BitSide)) {
        Complain("%s", error.c_str());
        return 2;
    }

    std::vector<uint8_t> handleBytes;
    if (!HandleBytesFromArguments(args, &handleBytes)) return 2;

    int pickX = 0, pickY = 0;
    if (args.Has("screenshot-pick")) {
        char end = 0;
        const std::string& text = args.Value("screenshot-pick");
        if (!args.Has("screenshot") || std::sscanf(text.c_str(), "%d,%d%c", &pickX, &pickY, &end) != 2 || pickX < 0 ||
            pickY < 0 || pickX >= original.width || pickY >= original.height) {
            Complain("--screenshot-pick needs --screenshot and a pixel X,Y of the image, not \"%s\"; nothing written",
                     text.c_str());
            return 2;
        }
    }

    options = OptionsFor(original, options);

    // --screenshot-pick answers the dialog itself, so it may run unseen.
    if (DialogMayOpen(args, options) && DisplayIsUnseen() && !args.Has("screenshot-pick")) {
        Complain(
            "the menu flow opens the plug-in's dialog for a person to answer, and no display is set "
            "(DISPLAY is empty, so the wrapper's virtual display is unseen): set DISPLAY, or give --prm "
            "or --parameters, or --play with --silent; nothing written");
        return 2;
    }
    PluginModule plugin;
    if (!plugin.Load(pluginPath, &error, options.barClasses)) {
        Complain("%s", error.c_str());
        return 2;
    }
    const std::string refusal =
        ModeRefusal(plugin.pipl(), DocumentMode(original, options), DocumentDepth(original, options));
    if (!refusal.empty()) {
        Complain("%s; nothing written", refusal.c_str());
        return 2;
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    FilterSession::RequestProgressBar(!args.Has("quiet") && IsConsole(stderr));

    // A run with its settings given shows no window of its own, and its
    // messages are printed: a box is answered with OK, as it is where nobody
    // could see it. In the menu flow they are the person's.
    WindowWatch driver;
    driver.AnswerMessageBoxes(haveHandle || WindowsAreUnseen());
    if (args.Has("screenshot")) driver.SetDialogScreenshotPath(args.Value("screenshot"));
    if (args.Has("screenshot-pick")) driver.SetDialogPick(pickX, pickY, original.width, original.height);
    // Ended before the result is written, so that the document before the
    // run is gone by then.
    auto ownSession = std::make_unique<FilterSession>(plugin, std::move(original), options);
    FilterSession& session = *ownSession;
    if (haveHandle) session.SetParameters(NewHandleWithBytes(handleBytes));
    if (args.Has("play")) session.SetPlayback(playback, args.Has("silent"));
    const int16 result = haveHandle ? session.RunRepeatFlow() : session.RunMenuFlow();

    if (args.Has("save-parameters") && session.parameters() != nullptr &&
        !WriteFileBytes(args.Value("save-parameters"), HandleBytes(session.parameters()))) {
        Complain("cannot write %s", args.Value("save-parameters").c_str());
        return 2;
    }
    const std::string leaks = session.LeakReport();
    const std::string shotMissing = args.Has("screenshot") ? ScreenshotMissing(driver.Events()) : "";
    if (!shotMissing.empty()) {
        Complain("the screenshot %s was not taken: %s; nothing written", args.Value("screenshot").c_str(),
                 shotMissing.c_str());
        return 2;
    }
    if (session.refusedWindows() > 0) {
        Complain("the plug-in tried to open %d window(s), which --no-windows refuses (result %d); nothing written",
                 session.refusedWindows(), result);
        return 1;
    }
    if (result != 0) {
        if (result == 1 && session.abortPolls() > 0 && !session.advances().empty())
            Complain("the plug-in ended with result 1: aborted; nothing written");
        else if (result == 1 && !haveHandle)
            Complain("the plug-in ended with result 1: cancelled (no settings confirmed); nothing written");
        else
            Complain("the plug-in ended with result %d (%s); nothing written", result,
                     ResultMeaning(result, driver.Events()).c_str());
        PrintMessages(driver.Events(), stderr);
        return 1;
    }
    if (args.Has("record") && !WriteRecordedDescriptor(args.Value("record"), session.recorded())) return 2;
    // The result as its file's rows, coded by a thread a processor (8 at most).
    Document filtered = session.TakeDocument();
    PngRows rows;
    if (!PngRowsFromResult(&filtered, session.previousDocument(), inputPng, &rows, &error)) {
        Complain("cannot write %s: %s", outputPath.c_str(), error.c_str());
        return 2;
    }
    ownSession.reset();
    inputPng = PngOrigin();
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    if (!WriteAtomically(outputPath, rows, compression, threads, &error)) {
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
