// Our filter host: fills a FilterRecord as a real host does, implements its
// callbacks, and runs the host's flows over a document. One session is active
// at a time (the callbacks carry no context, as in every real host).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "../../hostapi/HostInterface.h"
#include "Document.h"
#include "GuardedBuffer.h"
#include "HostHandles.h"
#include "PixelMapDrawing.h"
#include "PluginModule.h"

namespace filterhost {

// What a host offers of the descriptor suites, through which a plug-in's
// settings are recorded in actions and played back.
enum class DescriptorSupport {
    Full,     // descriptorParameters with our read and write procs
    None,     // descriptorParameters null, as GIMP's bridge passes it
    NoProcs,  // the structure, zeroed, with both proc tables null (as some hosts pass it)
};

// What a host may vary, and what tests vary.
struct HostOptions {
    OSType hostSig = kPhotoshopSignature;
    bool provideAdvanceState = true;
    bool provideHandleSuite = true;
    bool provideDisplayPixels = true;
    bool supportsPadding = true;
    int failAdvanceStateAt = 0;  // 1-based call that fails; 0: none
    OSErr advanceStateFailure = userCanceledErr;
    int abortAtPoll = 0;           // 1-based abortProc call that reports an abort; 0: none
    int16 imageModeOverride = -1;  // -1: the document's
    int16 planesOverride = -1;     // -1: the document's
    int32 depthOverride = -1;      // -1: the document's (0 is a valid override)
    bool haveMask = false;
    Rect filterRect = {0, 0, 0, 0};  // empty with useWholeImage: the whole image
    bool useWholeImage = true;
    int windowWidth = 640, windowHeight = 480, windowX = 40, windowY = 40;
    bool showWindow = false;
    // Tiles the plug-in asks for at full resolution, inside the document and
    // with every plane, are handed over as pointers into the document itself
    // (as hosts with tiled memory do) instead of guarded copies. Faster, but
    // an overrun is no longer caught at once.
    bool directBuffers = false;
    // The common controls' bar classes registered before the plug-in is
    // loaded (PluginModule::Load takes this); without them a dialog with a
    // trackbar cannot be created.
    bool barClasses = true;
    // How real editors differ from the default host (docs/hosts.md has where
    // each was seen; --host-profile sets them):
    bool commitsOutsideSelection = false;  // outData committed wherever outRect lies, not clipped to filterRect
    bool keepsHandle = true;               // false: Start always comes with no parameter handle
    bool samples = true;                   // false: samplingSupport 0, inputRate ignored
    bool roundsDown = false;               // the reduced image floor(W / n), not ceil
    bool strictBounds = false;             // displayPixels reads bounds rows and refuses a map larger than its rows
    // bigDocumentData offered: documents past 32,767 pixels a side, and the
    // plug-in's 32-bit rectangles read once it says it uses them.
    bool bigDocuments = false;
    DescriptorSupport descriptors = DescriptorSupport::Full;
    // Every window the plug-in tries to create during a call is refused (a
    // dialog then cannot open, a message box shows nothing) and counted, so
    // that a run meant to be silent fails visibly if it is not.
    bool refuseWindows = false;
};

// Sets the behaviours of a named host profile; false for an unknown name.
bool ApplyHostProfile(const std::string& name, HostOptions* options);
// The names, for messages and help.
const char* HostProfileNames();

struct AdvanceEvent {
    Rect inRect, outRect, maskRect;
    int16 inLoPlane, inHiPlane, outLoPlane, outHiPlane;
    Fixed inputRate;
    int16 inputPadding;
};

struct ProgressEvent {
    int32 done, total;
};

class FilterSession {
public:
    // The document is taken by value: a caller that no longer needs its own
    // moves it in, and the session's source is then the only copy besides
    // the destination.
    FilterSession(PluginModule& plugin, Document document, const HostOptions& options);
    ~FilterSession();
    FilterSession(const FilterSession&) = delete;
    FilterSession& operator=(const FilterSession&) = delete;

    // One selector call; returns the plug-in's result.
    int16 Call(int16 selector);
    int16 RunAbout();
    // Parameters, Prepare, Start, Continue while the plug-in asks, Finish.
    int16 RunMenuFlow();
    // Prepare, Start, Continue, Finish with the parameter handle kept.
    int16 RunRepeatFlow();

    // The document: unchanged until a run succeeds, then the result.
    const Document& document() const { return source_; }
    // After a successful run, the document as it was before it (the run's
    // source, kept in the destination's place until the next run starts).
    const Document& previousDocument() const { return destination_; }
    // Hands the document over (after a successful run, the result) without
    // a copy; previousDocument() stays until the session ends. The session
    // has no document after this.
    Document TakeDocument();
    FilterRecord& record() { return *record_; }
    HWND window() const { return window_; }

    Handle parameters() const { return record_->parameters; }
    void SetParameters(Handle h) { record_->parameters = h; }
    // Takes the parameter handle away from the session (which would dispose of it).
    Handle ReleaseParameters();

    // An action's step played back: every later flow hands the plug-in a
    // descriptor holding these bytes (the text form of DescriptorSuite.h),
    // with playInfo Silent or Display. Without it a flow passes none, with
    // playInfo Display, as an editor's menu command does.
    void SetPlayback(const std::vector<uint8_t>& descriptorBytes, bool silent);
    // The descriptor the last successful flow left in descriptorParameters
    // (what an editor records as the step), or null. The session keeps it.
    Handle recorded() const { return recorded_; }
    // descriptorParameters as the plug-in sees it (null with DescriptorSupport::None).
    PIDescriptorParameters* descriptorParameters() { return record_->descriptorParameters; }
    // Windows refused under HostOptions::refuseWindows, over every call.
    int refusedWindows() const { return refusedWindows_; }

    const std::vector<AdvanceEvent>& advances() const { return advances_; }
    const std::vector<ProgressEvent>& progress() const { return progress_; }
    int abortPolls() const { return abortPolls_; }
    int advanceCalls() const { return advanceCalls_; }
    int displayCalls() const { return displayCalls_; }
    void ClearEvents();
    // The simple values the plug-in set for 'wtch' (watch-cursor suspension), in order.
    const std::vector<intptr_t>& watchSettings() const { return watchSettings_; }

    // Makes this the session whose callbacks answer, as a selector call does;
    // for code of the plug-in linked into the test program and called directly.
    void MakeActive();

    // Ctrl+C and similar: the next abortProc call reports an abort (as it does
    // once the wrapper's abort file exists; see WrapperChannel.h).
    static void RequestAbort();
    static void RequestProgressBar(bool on);

    // The host's own check after a flow: a description of every handle or lock
    // the plug-in left behind, beyond the parameter handle the host keeps.
    std::string LeakReport() const;

private:
    friend struct SessionCallbacks;
    OSErr AdvanceState();
    void Commit();
    bool Deliver(const VRect& rect, int16 lo, int16 hi, Fixed rate, int16 padding, const Document& from,
                 GuardedBuffer& buffer, void** data, int32* rowBytes);
    // The plug-in's rectangles: the 32-bit ones of big documents once it
    // uses them, else the 16-bit fields.
    bool BigCoordinates() const;
    VRect InRect() const;
    VRect OutRect() const;
    VRect MaskRect() const;
    VRect FilterRect() const;
    bool RequestsEmpty() const;
    bool DeliverDirect();
    // inPlaneBytes, outPlaneBytes, inColumnBytes and outColumnBytes for tiles of these planes.
    void SetSampleSteps(int16 inLo, int16 inHi, int16 outLo, int16 outHi);
    int16 FinishRun(int16 startResult);
    // The descriptor handed over before a flow, and what is kept of it after.
    void BeginFlow();
    int16 EndFlow(int16 result);
    int16 RunFromPrepare();

    PluginModule& plugin_;
    HostOptions options_;
    Document source_;       // never changed during a run
    Document destination_;  // receives the committed output
    std::vector<uint8_t> recordBytes_;
    FilterRecord* record_;
    PlatformData platform_{};
    AboutRecord about_{};
    PropertyProcs propertyProcs_{};
    PIDescriptorParameters descriptorParameters_{};
    bool playback_ = false, playbackSilent_ = false;
    std::vector<uint8_t> playbackBytes_;
    Handle recorded_ = nullptr;
    int refusedWindows_ = 0;
    int openDescriptorTokensAtStart_ = 0;
    HWND window_ = nullptr;
    intptr_t pluginData_ = 0;
    HandleCounts countsAtStart_{};
    int baseLive_ = 0;
    bool started_ = false;

    GuardedBuffer inBuffer_, outBuffer_, maskBuffer_;
    VRect deliveredOut_{0, 0, 0, 0};
    BigDocumentStruct bigDocument_{};  // offered when options.bigDocuments
    int16 deliveredOutLo_ = 0, deliveredOutHi_ = -1;
    int32 deliveredOutRowBytes_ = 0;

    std::vector<AdvanceEvent> advances_;
    std::vector<ProgressEvent> progress_;
    int abortPolls_ = 0;
    int advanceCalls_ = 0;
    int displayCalls_ = 0;
    std::vector<intptr_t> watchSettings_;
    DisplayImage displayScratch_;
    std::vector<int32_t> gatherColumns_;  // scratch of the reduced delivery
};

}  // namespace filterhost
