// A batch runs the plug-in over its files in order, one repeat-flow run at a
// time on this thread (the one that owns the host's windows), as an image
// editor repeats a filter over documents. Beside it one thread writes the
// last result and one reads the next file:
//
//   file k-1   write ...........................
//   file k     filter -> rows   (hand to the writer once k-1 is written)
//   file k+1                    read ................   filter
//
// A single run holds two images (the document and the session's copy) and,
// at 16 bits, the bits of the file values (a sixteenth of an image). The
// batch holds at most one image more: while file k is filtered, its two and
// the result being written; once its copy is gone and its result is the
// file's rows (no bits), the next file is read beside that result and the
// one being written. The reader never starts while a filter runs, so no
// more than one set of bits is ever held. The writer is the slowest stage;
// the plug-in, the one stage that must run here, never waits for the disk
// except for the next file's reading.
#include "BatchRun.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <cstdio>
#include <future>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "../lib/HostHandles.h"
#include "../lib/ImageConversion.h"
#include "../lib/PluginModes.h"
#include "../lib/PluginModule.h"
#include "../lib/FileChecks.h"
#include "../lib/RunJournal.h"
#include "../lib/WindowWatch.h"
#include "../lib/WrapperChannel.h"
#include "BatchOutputs.h"
#include "Commands.h"
#include "ConsoleText.h"
#include "RunSteps.h"

namespace filterhost {
namespace {

// One input read into a document, or the reason it could not be (a sentence
// that names the file).
struct Decoded {
    bool ok = false;
    std::string error;
    Document document;
    PngOrigin origin;
};

Decoded Decode(const std::string& path, int largestSide) {
    Decoded d;
    if (AbortRequested()) {
        d.error = "not read: the batch was interrupted";
        return d;
    }
    d.ok = ReadPngDocument(path, &d.document, &d.origin, &d.error, largestSide);
    if (!d.ok) d.document = Document();
    return d;
}

// A result on its way to its file, already in the file's sample values:
// neither the original nor its 16-bit bits are kept for it.
struct Encoding {
    std::string path;
    std::string input;
    std::string leaks;  // what the plug-in left behind in its run, if anything
    PngRows rows;
    PngCompression compression;
};

struct Written {
    std::string input;
    int status = 0;  // as a single run would end: 0, 1 (aborted), 2, or 3 (leaks)
    std::string error;
};

Written Encode(Encoding job) {
    Written w;
    w.input = job.input;
    // One part: the reader and the plug-in have the other processors.
    if (!WriteAtomically(job.path, job.rows, job.compression, 1, &w.error)) {
        w.status = AbortRequested() ? 1 : 2;
        return w;
    }
    if (!job.leaks.empty()) {
        w.status = 3;
        w.error = "written, but the plug-in left behind: " + job.leaks;
    }
    return w;
}

// What became of the files so far.
class Tally {
public:
    explicit Tally(size_t files) : files_(files) {}

    // A failure whose reason names the file already, or (named false) not.
    void Fail(const std::string& input, int status, const std::string& reason, bool named) {
        if (named)
            Complain("%s", reason.c_str());
        else
            Complain("%s: %s", input.c_str(), reason.c_str());
        if (status != 3) failed_.push_back(input);
        worst_ = std::max(worst_, status);
    }
    void Take(const Written& w) {
        if (w.status == 0 || w.status == 3) ++written_;
        if (w.status != 0) Fail(w.input, w.status, w.error, false);
    }

    // The closing line and the exit status: 1 when an interrupt stopped the
    // batch short, else the worst status a file would have ended a single
    // run with.
    int Finish() const {
        if (AbortRequested() && written_ < files_) {
            Complain("interrupted: %zu of %zu files written; the rest were not", written_, files_);
            return 1;
        }
        if (worst_ == 0) return 0;
        if (!failed_.empty()) {
            std::string names;
            for (const std::string& f : failed_) names += (names.empty() ? "" : ", ") + f;
            Complain("%zu of %zu files written; failed: %s", written_, files_, names.c_str());
        }
        return worst_;
    }

private:
    size_t files_;
    size_t written_ = 0;
    std::vector<std::string> failed_;
    int worst_ = 0;
};

// How every file of the batch is run: the repeat flow with the handle given,
// or the menu flow when only a recorded step is played; the step, if any.
struct BatchFlow {
    bool menu = false;
    bool play = false, silent = false;
    const std::vector<uint8_t>* playback = nullptr;
};

// One run over the decoded document, its result turned into the file's
// rows; the plug-in's parameter handle is carried from run to run, as an
// editor keeps it, and the descriptor the run left is put in *recorded. The session's second copy and the origin's bits
// are let go as soon as the run is over. 0, or the status and reason of a single run's failure.
int FilterDocument(PluginModule& plugin, WindowWatch& driver, const HostOptions& options, const BatchFlow& flow,
                   Handle* parameters, Decoded& d, PngRows* rows, std::vector<uint8_t>* recorded, std::string* leaks,
                   std::string* error) {
    const size_t eventsBefore = driver.Events().size();
    try {
        FilterSession session(plugin, std::move(d.document), options);
        session.SetParameters(*parameters);
        *parameters = nullptr;
        if (flow.play) session.SetPlayback(*flow.playback, flow.silent);
        const int16 result = flow.menu ? session.RunMenuFlow() : session.RunRepeatFlow();
        // Asked while the session still holds the parameter handle, which is
        // the host's and no leak.
        *leaks = session.LeakReport();
        *parameters = session.ReleaseParameters();
        if (session.refusedWindows() > 0) {
            *error = "the plug-in tried to open " + std::to_string(session.refusedWindows()) +
                     " window(s), which --no-windows refuses; nothing written";
            return 1;
        }
        if (result == 0 && session.recorded() != nullptr) *recorded = HandleBytes(session.recorded());
        if (result != 0) {
            std::vector<UiEvent> events = driver.Events();
            events.erase(events.begin(), events.begin() + std::min(eventsBefore, events.size()));
            if (result == 1 && session.abortPolls() > 0 && !session.advances().empty())
                *error = "the plug-in ended with result 1: aborted; nothing written";
            else
                *error = "the plug-in ended with result " + std::to_string(result) + " (" +
                         ResultMeaning(result, events) + "); nothing written";
            PrintMessages(events, stderr);
            return 1;
        }
        // The previous copy only tells which 16-bit samples the run left alone.
        Document filtered = session.TakeDocument();
        if (!PngRowsFromResult(&filtered, session.previousDocument(), d.origin, rows, error)) return 2;
        d.origin = PngOrigin();
        return 0;
    } catch (const std::bad_alloc&) {
        // Only the session's copy of the document can fail to fit here.
        *error = "out of memory for the filter's copy of the image; nothing written";
        return 2;
    }
}

// Everything a batch refuses before it reads a file; false with the reason.
bool CheckBatch(const Arguments& args, const std::vector<std::string>& inputs, std::string* error) {
    const std::string folder = args.Value("out-dir");
    if (!args.Has("prm") && !args.Has("parameters") && !args.Has("play")) {
        *error =
            "--out-dir runs the plug-in on every file with settings given: add --prm or --parameters, or "
            "--play a recorded step (the menu flow opens a dialog for one image)";
        return false;
    }
    if (args.Has("screenshot") || args.Has("screenshot-pick")) {
        *error = "--screenshot captures the menu flow's dialog, which a batch never opens";
        return false;
    }
    if (inputs.empty()) {
        *error = "--out-dir needs the input images after the plug-in";
        return false;
    }
    const PathKind kind = KindOfPath(folder);
    if (kind != PathKind::Folder) {
        *error = "the output folder " + folder + (kind == PathKind::Missing ? " does not exist" : " is not a folder");
        return false;
    }
    if (const std::string problem = OutputFolderProblem(folder); !problem.empty()) {
        *error = problem;
        return false;
    }
    for (const std::string& input : inputs) {
        const PathKind k = KindOfPath(input);
        if (k == PathKind::Missing) {
            *error = input +
                     " does not exist (with --out-dir every name after the plug-in is an input, written to the "
                     "output folder under its own name: no OUTPUT is given)";
            return false;
        }
        if (k == PathKind::Folder) {
            *error = input + " is a folder, not an image";
            return false;
        }
    }
    size_t a = 0, b = 0;
    if (FindSharedOutput(inputs, &a, &b)) {
        *error = inputs[a] + " and " + inputs[b] + " would both be written to " + OutputPathFor(folder, inputs[b]);
        return false;
    }
    return true;
}

}  // namespace

int RunBatchCommand(const Arguments& args, const HostOptions& baseOptions, PngCompression compression,
                    const std::vector<uint8_t>& playback) {
    const std::vector<std::string> inputs(args.positional.begin() + 1, args.positional.end());
    std::string error;
    if (!CheckBatch(args, inputs, &error)) {
        Complain("%s; nothing written", error.c_str());
        return 2;
    }
    const bool haveHandle = args.Has("prm") || args.Has("parameters");
    if (DialogMayOpen(args, baseOptions) && DisplayIsUnseen()) {
        Complain(
            "--play without --silent opens the plug-in's dialog for every file, for a person to answer, and no "
            "display is set (DISPLAY is empty): set DISPLAY, or add --silent; nothing written");
        return 2;
    }
    BatchFlow flow;
    flow.menu = !haveHandle;
    flow.play = args.Has("play");
    flow.silent = args.Has("silent");
    flow.playback = &playback;
    std::vector<uint8_t> recorded;
    std::vector<uint8_t> handleBytes;
    if (!HandleBytesFromArguments(args, &handleBytes)) return 2;
    PluginModule plugin;
    if (!plugin.Load(args.positional[0], &error, baseOptions.barClasses)) {
        Complain("%s", error.c_str());
        return 2;
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    JournalTotal(int(inputs.size()));
    const bool showProgress = !args.Has("quiet") && IsConsole(stderr);
    FilterSession::RequestProgressBar(showProgress);

    const std::string folder = args.Value("out-dir");
    const size_t count = inputs.size();
    // A batch runs without its interface, as an editor's batch does: a
    // message box a plug-in shows is noted and answered with OK.
    WindowWatch driver;
    driver.AnswerMessageBoxes(true);
    // Without --prm or --parameters the first run's Parameters makes the handle.
    Handle parameters = haveHandle ? NewHandleWithBytes(handleBytes) : nullptr;
    Tally tally(count);
    const int largestSide = baseOptions.bigDocuments ? std::numeric_limits<int>::max() : kLargest16BitSide;
    std::future<Decoded> reading = std::async(std::launch::async, Decode, inputs[0], largestSide);
    std::future<Written> writing;
    for (size_t k = 0; k < count; ++k) {
        Decoded d = reading.get();
        if (AbortRequested()) break;
        const std::string& input = inputs[k];
        if (showProgress)
            WriteText(stderr, "[" + std::to_string(k + 1) + "/" + std::to_string(count) + "] " + input + "\n");
        const HostOptions options = OptionsFor(d.document, baseOptions);
        std::string refusal;
        if (d.ok)
            refusal = ModeRefusal(plugin.pipl(), DocumentMode(d.document, options), DocumentDepth(d.document, options));
        std::string leaks;
        PngRows rows;
        int status = 0;
        if (!d.ok) {
            tally.Fail(input, 2, d.error, true);
            status = 2;
        } else if (!refusal.empty()) {
            tally.Fail(input, 2, refusal + "; nothing written", false);
            status = 2;
        } else {
            status = FilterDocument(plugin, driver, options, flow, &parameters, d, &rows, &recorded, &leaks, &error);
            if (status != 0) tally.Fail(input, status, error, false);
        }
        // The session is gone, and with it the copy and the bits; a file that
        // failed is let go too. Only now is the next file read.
        if (status != 0) d = Decoded();
        if (k + 1 < count && !AbortRequested())
            reading = std::async(std::launch::async, Decode, inputs[k + 1], largestSide);
        // The last result must be in place before this one is handed over.
        if (writing.valid()) tally.Take(writing.get());
        if (status == 0 && AbortRequested()) {
            // Filtered, but an interrupt came before its turn to be written.
            tally.Fail(input, 1, "aborted; nothing written", false);
            break;
        }
        if (status == 0) {
            Encoding job{OutputPathFor(folder, input), input, std::move(leaks), std::move(rows), compression};
            writing = std::async(std::launch::async, Encode, std::move(job));
        }
        if (AbortRequested()) break;
    }
    if (writing.valid()) tally.Take(writing.get());
    if (reading.valid()) reading.get();  // a file read ahead is dropped unused
    int status = tally.Finish();

    if (args.Has("save-parameters") && parameters != nullptr &&
        !WriteFileBytes(args.Value("save-parameters"), HandleBytes(parameters))) {
        Complain("cannot write %s", args.Value("save-parameters").c_str());
        status = std::max(status, 2);
    }
    if (parameters != nullptr) DisposeHandle(parameters);
    // The step the last successful file recorded, as --save-parameters keeps the last handle.
    if (args.Has("record")) {
        Handle last = recorded.empty() ? nullptr : NewHandleWithBytes(recorded);
        if (!WriteRecordedDescriptor(args.Value("record"), last)) status = std::max(status, 2);
        if (last != nullptr) DisposeHandle(last);
    }
    return status;
}

}  // namespace filterhost
