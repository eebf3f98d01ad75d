#include "FilterSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "DescriptorSuite.h"
#include "ProgressMeter.h"

#include "PixelMapDrawing.h"

#include "WrapperChannel.h"

namespace filterhost {
namespace {

FilterSession* activeSession = nullptr;
std::atomic<bool> progressBar{false};
ProgressMeter progressMeter;
intptr_t watchSuspension = 0;

constexpr char kWindowClass[] = "TavirelFilterHostWindow";

bool EmptyRect(const VRect& r) { return r.top >= r.bottom || r.left >= r.right; }
VRect Wide(const Rect& r) { return VRect{r.top, r.left, r.bottom, r.right}; }
int16 Narrow(int v) { return int16(std::min(v, 32767)); }

void DrawProgress(const std::string& text) {
    if (text.empty()) return;
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// The reduced size of an image of n pixels at every rate-th pixel.
int ReducedSize(int n, int rate, bool padding, bool roundsDown) {
    if (rate <= 1) return n;
    if (roundsDown) return n / rate;  // as PSFilterPdn and pspiHost size it
    return padding ? (n + rate - 2) / rate + 1 : (n - 1) / rate + 1;
}

// Copies `pixels` pixels of `Bytes` bytes each from the source row at the
// given byte offsets: one fixed-size copy a pixel, which the compiler turns
// into plain moves for the usual pixel sizes.
template <size_t Bytes>
void GatherRow(uint8_t* to, const uint8_t* row, const int32_t* columns, int pixels) {
    for (int x = 0; x < pixels; ++x, to += Bytes) std::memcpy(to, row + columns[x], Bytes);
}

// The delivery of `rect` of the image reduced by n (pixel (x, y) is source
// pixel (n x, n y)), planes lo..hi, into rows of `stride` bytes. Outside the
// reduced image the nearest edge pixel is repeated, or, with a padding value
// of 0..255, that value is delivered (times 32768 / 255, truncated, for 16
// bits); planes the document lacks deliver 0. The source column of every
// delivered column is worked out once, so a row is a run of pixel copies.
void GatherReduced(const Document& from, const VRect& rect, int lo, int hi, int n, int16 padding, int reducedWidth,
                   int reducedHeight, uint8_t* out, int32 stride, std::vector<int32_t>& columns) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int bytes = from.sampleBytes(), planes = hi - lo + 1, pixelBytes = planes * bytes;
    const int present = std::clamp(std::min(hi, from.planes - 1) - lo + 1, 0, planes);
    const size_t presentBytes = size_t(present) * bytes;
    const bool fills = padding >= 0 && padding <= 255;

    std::vector<uint8_t> fillPixel(size_t(pixelBytes), 0);
    if (fills) {
        const uint32_t v = uint32_t(padding) * (bytes == 2 ? 32768u / 255u : 1u);
        for (int p = 0; p < planes; ++p) {
            if (bytes == 2) {
                const uint16_t s = uint16_t(v);
                std::memcpy(&fillPixel[size_t(p) * 2], &s, 2);
            } else {
                fillPixel[size_t(p)] = uint8_t(v);
            }
        }
    }
    // Byte offsets in a source row of each delivered column's first plane;
    // -1 where the padding value fills the column.
    columns.resize(size_t(width));
    bool anyFilled = false;
    for (int x = 0; x < width; ++x) {
        const int rx = rect.left + x;
        if (fills && (rx < 0 || rx >= reducedWidth)) {
            columns[size_t(x)] = -1;
            anyFilled = true;
            continue;
        }
        const int sx = std::min(std::clamp(rx, 0, reducedWidth - 1) * n, from.width - 1);
        columns[size_t(x)] = int32_t((size_t(sx) * from.planes + lo) * bytes);
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* to = out + intptr_t(y) * stride;
        const int ry = rect.top + y;
        if (fills && (ry < 0 || ry >= reducedHeight)) {
            for (int x = 0; x < width; ++x) std::memcpy(to + size_t(x) * pixelBytes, fillPixel.data(), pixelBytes);
            continue;
        }
        const int sy = std::min(std::clamp(ry, 0, reducedHeight - 1) * n, from.height - 1);
        const uint8_t* row = from.Pixel(0, sy);
        if (!anyFilled && present == planes) {
            switch (pixelBytes) {
                case 1: GatherRow<1>(to, row, columns.data(), width); continue;
                case 2: GatherRow<2>(to, row, columns.data(), width); continue;
                case 3: GatherRow<3>(to, row, columns.data(), width); continue;
                case 4: GatherRow<4>(to, row, columns.data(), width); continue;
                case 6: GatherRow<6>(to, row, columns.data(), width); continue;
                case 8: GatherRow<8>(to, row, columns.data(), width); continue;
                default: break;
            }
        }
        for (int x = 0; x < width; ++x, to += pixelBytes) {
            const int32_t column = columns[size_t(x)];
            if (column < 0) {
                std::memcpy(to, fillPixel.data(), size_t(pixelBytes));
                continue;
            }
            std::memcpy(to, row + column, presentBytes);
            std::memset(to + presentBytes, 0, size_t(pixelBytes) - presentBytes);
        }
    }
}

HWND CreateHostWindow(const HostOptions& o) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    RegisterClassA(&wc);  // already registered by an earlier session: fine
    return CreateWindowExA(0, kWindowClass, "Tavirel filter host",
                           WS_OVERLAPPEDWINDOW | (o.showWindow ? WS_VISIBLE : 0), o.windowX, o.windowY, o.windowWidth,
                           o.windowHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

struct SessionCallbacks {
    static Boolean HOST_CALLBACK Abort() {
        FilterSession* s = activeSession;
        if (s == nullptr) return 0;
        ++s->abortPolls_;
        if (s->options_.abortAtPoll != 0 && s->abortPolls_ >= s->options_.abortAtPoll) return 1;
        return AbortRequested() ? 1 : 0;
    }
    static void HOST_CALLBACK Progress(int32 done, int32 total) {
        // No exception may cross the plug-in's frames: a record that cannot
        // be kept is dropped.
        if (activeSession != nullptr) try {
                activeSession->progress_.push_back({done, total});
            } catch (const std::bad_alloc&) {
            }
        if (!progressBar.load()) return;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        DrawProgress(progressMeter.Update(
            done, total, uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count())));
    }
    static OSErr HOST_CALLBACK Advance() {
        if (activeSession == nullptr) return paramErr;
        try {
            return activeSession->AdvanceState();
        } catch (const std::bad_alloc&) {
            return memFullErr;
        }
    }
    // Under HostOptions::refuseWindows: no window is created on the thread
    // that calls the plug-in while the call lasts.
    static LRESULT CALLBACK RefuseWindow(int code, WPARAM wParam, LPARAM lParam) {
        if (code != HCBT_CREATEWND) return CallNextHookEx(nullptr, code, wParam, lParam);
        if (activeSession != nullptr) ++activeSession->refusedWindows_;
        return 1;
    }
    static OSErr HOST_CALLBACK Display(const PSPixelMap* map, const VRect* rect, int32 row, int32 col, void* context);
    static OSErr HOST_CALLBACK GetProperty(PIType, PIType key, int32, intptr_t* simple, Handle* complex) {
        if (complex != nullptr) *complex = nullptr;
        if (key == propWatchSuspension && simple != nullptr) {
            *simple = watchSuspension;
            return noErr;
        }
        return -30901;  // errPlugInPropertyUndefined
    }
    static OSErr HOST_CALLBACK SetProperty(PIType, PIType key, int32, intptr_t simple, Handle) {
        if (key == propWatchSuspension) {
            watchSuspension = simple;
            if (activeSession != nullptr) activeSession->watchSettings_.push_back(simple);
            return noErr;
        }
        return -30901;
    }
};

OSErr HOST_CALLBACK SessionCallbacks::Display(const PSPixelMap* map, const VRect* rect, int32 row, int32 col,
                                              void* context) {
    static DisplayImage spare;
    FilterSession* s = activeSession;
    if (s != nullptr) ++s->displayCalls_;
    if (s != nullptr && s->options_.strictBounds && map != nullptr && rect != nullptr) {
        // A careful host reads the map as its bounds describe it: rows of
        // bounds' width at rowBytes, the area inside the bounds.
        const VRect& b = map->bounds;
        if (b.right < b.left || b.bottom < b.top || int64_t(b.right - b.left) * map->colBytes > map->rowBytes ||
            rect->left < b.left || rect->top < b.top || rect->right > b.right || rect->bottom > b.bottom)
            return paramErr;
    }
    return DrawPixelMap(map, rect, row, col, static_cast<HDC>(context), s != nullptr ? s->displayScratch_ : spare);
}

FilterSession::FilterSession(PluginModule& plugin, Document document, const HostOptions& options)
    : plugin_(plugin), options_(options), source_(std::move(document)), destination_(source_), recordBytes_(1024, 0) {
    record_ = reinterpret_cast<FilterRecord*>(recordBytes_.data());
    window_ = CreateHostWindow(options);
    platform_.hwnd = reinterpret_cast<intptr_t>(window_);
    about_.platformData = &platform_;
    propertyProcs_ = {kCurrentPropertyProcsVersion, 2, SessionCallbacks::GetProperty, SessionCallbacks::SetProperty};

    FilterRecord& r = *record_;
    r.abortProc = SessionCallbacks::Abort;
    r.progressProc = SessionCallbacks::Progress;
    // A document past 32,767 pixels a side is described to the plug-in only
    // in bigDocumentData; the 16-bit fields say as much of it as they can.
    r.imageSize = Point{Narrow(source_.height), Narrow(source_.width)};
    r.planes = options.planesOverride >= 0 ? options.planesOverride : int16(source_.planes);
    r.filterRect = options.useWholeImage ? Rect{0, 0, r.imageSize.v, r.imageSize.h} : options.filterRect;
    if (options.bigDocuments) {
        bigDocument_.imageSize32 = VPoint{source_.height, source_.width};
        bigDocument_.wholeSize32 = bigDocument_.imageSize32;
        bigDocument_.filterRect32 =
            options.useWholeImage ? VRect{0, 0, source_.height, source_.width} : Wide(r.filterRect);
        r.bigDocumentData = &bigDocument_;
    }
    r.background = RGBColor{65535, 65535, 65535};
    r.maxSpace = 64 << 20;
    r.isFloating = 0;
    r.haveMask = options.haveMask ? 1 : 0;
    r.autoMask = 1;
    r.hostSig = options.hostSig;
    r.imageMode = options.imageModeOverride >= 0 ? options.imageModeOverride : source_.imageMode;
    r.imageHRes = r.imageVRes = 72 << 16;
    r.wholeSize = r.imageSize;
    r.platformData = &platform_;
    r.displayPixels = options.provideDisplayPixels ? SessionCallbacks::Display : nullptr;
    r.handleProcs = options.provideHandleSuite ? HostHandleProcs() : nullptr;
    r.advanceState = options.provideAdvanceState ? SessionCallbacks::Advance : nullptr;
    r.supportsPadding = options.supportsPadding ? 1 : 0;
    r.inputPadding = r.outputPadding = r.maskPadding = plugInWantsEdgeReplication;
    r.samplingSupport = options.samples ? 1 : 0;  // integral sampling, or none
    r.inputRate = r.maskRate = kFixedOne;
    // Until the first delivery: the steps of tiles holding every plane, which a
    // plug-in may check in Start before it asks for anything.
    SetSampleSteps(int16(0), int16(source_.planes - 1), int16(0), int16(source_.planes - 1));
    r.propertyProcs = &propertyProcs_;
    r.depth = options.depthOverride >= 0 ? options.depthOverride : source_.depth;
    if (options.descriptors != DescriptorSupport::None) {
        descriptorParameters_.descriptorParametersVersion = kCurrentDescriptorParametersVersion;
        if (options.descriptors == DescriptorSupport::Full) {
            descriptorParameters_.playInfo = plugInDialogDisplay;
            descriptorParameters_.recordInfo = plugInDialogOptional;
            descriptorParameters_.readDescriptorProcs = HostReadDescriptorProcs();
            descriptorParameters_.writeDescriptorProcs = HostWriteDescriptorProcs();
        }
        r.descriptorParameters = &descriptorParameters_;
    }
}

FilterSession::~FilterSession() {
    if (record_->parameters != nullptr) DisposeHandle(record_->parameters);
    if (descriptorParameters_.descriptor != nullptr) DisposeHandle(descriptorParameters_.descriptor);
    if (recorded_ != nullptr) DisposeHandle(recorded_);
    if (window_ != nullptr) DestroyWindow(window_);
    if (activeSession == this) activeSession = nullptr;
}

Handle FilterSession::ReleaseParameters() {
    Handle h = record_->parameters;
    record_->parameters = nullptr;
    return h;
}

void FilterSession::SetPlayback(const std::vector<uint8_t>& descriptorBytes, bool silent) {
    playback_ = true;
    playbackSilent_ = silent;
    playbackBytes_ = descriptorBytes;
}

void FilterSession::BeginFlow() {
    PIDescriptorParameters& d = descriptorParameters_;
    if (record_->descriptorParameters == nullptr || d.readDescriptorProcs == nullptr) return;
    if (d.descriptor != nullptr) DisposeHandle(d.descriptor);  // left by selector calls of a test's own
    d.descriptor = playback_ ? NewHandleWithBytes(playbackBytes_) : nullptr;
    d.playInfo = playback_ && playbackSilent_ ? plugInDialogSilent : plugInDialogDisplay;
    d.recordInfo = plugInDialogOptional;
}

int16 FilterSession::EndFlow(int16 result) {
    // What a successful step leaves is recorded; a failed one records nothing.
    PIDescriptorParameters& d = descriptorParameters_;
    if (d.descriptor == nullptr) return result;
    if (result == 0) {
        if (recorded_ != nullptr) DisposeHandle(recorded_);
        recorded_ = d.descriptor;
    } else {
        DisposeHandle(d.descriptor);
    }
    d.descriptor = nullptr;
    return result;
}

Document FilterSession::TakeDocument() { return std::move(source_); }

void FilterSession::RequestAbort() { filterhost::RequestAbort(); }
void FilterSession::RequestProgressBar(bool on) { progressBar.store(on); }

void FilterSession::MakeActive() {
    activeSession = this;
    watchSuspension = 0;
}

void FilterSession::ClearEvents() {
    advances_.clear();
    progress_.clear();
    abortPolls_ = advanceCalls_ = displayCalls_ = 0;
}

int16 FilterSession::Call(int16 selector) {
    if (!started_) {
        // Counted from the first call, so that a parameter handle the host
        // brought along is not taken for the plug-in's.
        started_ = true;
        countsAtStart_ = CurrentHandleCounts();
        const DescriptorCounts tokens = CurrentDescriptorCounts();
        openDescriptorTokensAtStart_ = tokens.openReaders + tokens.openWriters;
        baseLive_ = countsAtStart_.live;
        for (Handle kept : {record_->parameters, descriptorParameters_.descriptor, recorded_})
            if (kept != nullptr && IsLiveHandle(kept)) --baseLive_;
    }
    activeSession = this;
    watchSuspension = 0;  // reset at every call into the plug-in
    int16 result = 0;
    void* record = selector == filterSelectorAbout ? static_cast<void*>(&about_) : static_cast<void*>(record_);
    HHOOK refusal = options_.refuseWindows
                        ? SetWindowsHookExA(WH_CBT, SessionCallbacks::RefuseWindow, nullptr, GetCurrentThreadId())
                        : nullptr;
    plugin_.entry()(selector, record, &pluginData_, &result);
    if (refusal != nullptr) UnhookWindowsHookEx(refusal);
    return result;
}

int16 FilterSession::RunAbout() { return Call(filterSelectorAbout); }

bool FilterSession::RequestsEmpty() const {
    return EmptyRect(InRect()) && EmptyRect(OutRect()) && EmptyRect(MaskRect());
}

int16 FilterSession::FinishRun(int16 startResult) {
    if (startResult != 0) {
        destination_ = source_;  // a cancelled or failed run leaves the document as it was
        deliveredOut_ = VRect{0, 0, 0, 0};
        return startResult;
    }
    int16 result = 0;
    while (!RequestsEmpty()) {
        const OSErr delivered = AdvanceState();
        if (delivered != noErr) {
            destination_ = source_;
            return delivered;
        }
        result = Call(filterSelectorContinue);
        if (result != 0) {
            destination_ = source_;
            return result;
        }
    }
    Commit();
    result = Call(filterSelectorFinish);
    Commit();
    // The result becomes the document; the next flow starts the destination
    // afresh from it, so a swap does instead of a copy.
    if (result == 0)
        std::swap(source_, destination_);
    else
        destination_ = source_;
    return result;
}

int16 FilterSession::RunMenuFlow() {
    BeginFlow();
    int16 result = Call(filterSelectorParameters);
    if (result == 0) result = RunFromPrepare();
    return EndFlow(result);
}

int16 FilterSession::RunRepeatFlow() {
    BeginFlow();
    return EndFlow(RunFromPrepare());
}

int16 FilterSession::RunFromPrepare() {
    if (!options_.keepsHandle && record_->parameters != nullptr) {
        // A host that keeps no handle: whatever Parameters made is dropped,
        // and Start sees none.
        DisposeHandle(record_->parameters);
        record_->parameters = nullptr;
    }
    progressMeter.Reset();
    int16 result = Call(filterSelectorPrepare);
    if (result != 0) return result;
    destination_ = source_;
    result = FinishRun(Call(filterSelectorStart));
    if (progressBar.load()) DrawProgress(progressMeter.Finish());  // a run stopped short ends the bar's line
    return result;
}

void FilterSession::Commit() {
    if (EmptyRect(deliveredOut_) || outBuffer_.data() == nullptr) {
        deliveredOut_ = VRect{0, 0, 0, 0};
        return;
    }
    // Only the part inside filterRect is written back; an editor that commits
    // outData wherever it lies writes back the part inside the image.
    const VRect whole{0, 0, destination_.height, destination_.width};
    const VRect f = options_.commitsOutsideSelection ? whole : FilterRect();
    const int top = std::max<int>({deliveredOut_.top, f.top, 0}),
              bottom = std::min<int>(deliveredOut_.bottom, f.bottom);
    const int left = std::max<int>({deliveredOut_.left, f.left, 0}),
              right = std::min<int>(deliveredOut_.right, f.right);
    const int bytes = destination_.sampleBytes();
    const int lo = std::max<int>(deliveredOutLo_, 0), hi = std::min<int>(deliveredOutHi_, destination_.planes - 1);
    const int delivered = deliveredOutHi_ - deliveredOutLo_ + 1;
    for (int y = top; y < bottom && y < destination_.height; ++y) {
        const auto* row =
            static_cast<const uint8_t*>(outBuffer_.data()) + intptr_t(y - deliveredOut_.top) * deliveredOutRowBytes_;
        const int end = std::min(right, destination_.width);
        if (lo == 0 && hi == destination_.planes - 1 && delivered == destination_.planes && left < end) {
            // Every plane delivered: the row's part inside filterRect in one copy.
            std::memcpy(destination_.Pixel(left, y), row + size_t(left - deliveredOut_.left) * delivered * bytes,
                        size_t(end - left) * delivered * bytes);
            continue;
        }
        for (int x = left; x < end; ++x) {
            const uint8_t* from = row + size_t(x - deliveredOut_.left) * delivered * bytes;
            uint8_t* to = destination_.Pixel(x, y);
            std::memcpy(to + lo * bytes, from + (lo - deliveredOutLo_) * bytes, size_t(hi - lo + 1) * bytes);
        }
    }
    deliveredOut_ = VRect{0, 0, 0, 0};
}

bool FilterSession::BigCoordinates() const {
    return record_->bigDocumentData != nullptr && record_->bigDocumentData->PluginUsing32BitCoordinates != 0;
}
VRect FilterSession::InRect() const { return BigCoordinates() ? bigDocument_.inRect32 : Wide(record_->inRect); }
VRect FilterSession::OutRect() const { return BigCoordinates() ? bigDocument_.outRect32 : Wide(record_->outRect); }
VRect FilterSession::MaskRect() const { return BigCoordinates() ? bigDocument_.maskRect32 : Wide(record_->maskRect); }
VRect FilterSession::FilterRect() const {
    return record_->bigDocumentData != nullptr ? bigDocument_.filterRect32 : Wide(record_->filterRect);
}

void FilterSession::SetSampleSteps(int16 inLo, int16 inHi, int16 outLo, int16 outHi) {
    // Delivered tiles, copied or direct, hold the requested planes
    // interleaved: a plane is one sample on from the last, a pixel all of
    // them. Plug-ins that find samples through these steps (as 16-bit filters
    // do) refuse a host that leaves them 0.
    FilterRecord& r = *record_;
    const int32 bytes = source_.sampleBytes();
    r.inPlaneBytes = r.outPlaneBytes = bytes;
    r.inColumnBytes = std::max<int32>(inHi - inLo + 1, 1) * bytes;
    r.outColumnBytes = std::max<int32>(outHi - outLo + 1, 1) * bytes;
}

bool FilterSession::Deliver(const VRect& rect, int16 lo, int16 hi, Fixed rate, int16 padding, const Document& from,
                            GuardedBuffer& buffer, void** data, int32* rowBytes) {
    if (EmptyRect(rect) || hi < lo) {
        buffer.Reset(0);
        *data = nullptr;
        *rowBytes = 0;
        return true;
    }
    // A host that cannot sample delivers at full resolution whatever it is asked.
    const int n = options_.samples ? std::max<int>(1, rate >> 16) : 1;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int planes = hi - lo + 1, bytes = from.sampleBytes();
    const int32 stride = int32(width * planes * bytes);
    if (!buffer.Reset(size_t(stride) * height)) return false;
    const int reducedWidth = ReducedSize(from.width, n, record_->supportsPadding != 0, options_.roundsDown);
    const int reducedHeight = ReducedSize(from.height, n, record_->supportsPadding != 0, options_.roundsDown);
    auto* out = static_cast<uint8_t*>(buffer.data());
    // Full resolution and wholly inside the document: straight row copies.
    if (n == 1 && rect.top >= 0 && rect.left >= 0 && rect.bottom <= from.height && rect.right <= from.width &&
        hi < from.planes) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* source = from.Pixel(rect.left, rect.top + y);
            uint8_t* to = out + intptr_t(y) * stride;
            if (planes == from.planes) {
                std::memcpy(to, source, size_t(stride));
                continue;
            }
            for (int x = 0; x < width; ++x)
                std::memcpy(to + size_t(x) * planes * bytes, source + (size_t(x) * from.planes + lo) * bytes,
                            size_t(planes) * bytes);
        }
        *data = buffer.data();
        *rowBytes = stride;
        return true;
    }
    GatherReduced(from, rect, lo, hi, n, padding, reducedWidth, reducedHeight, out, stride, gatherColumns_);
    *data = buffer.data();
    *rowBytes = stride;
    return true;
}

bool FilterSession::DeliverDirect() {
    FilterRecord& r = *record_;
    const VRect f = FilterRect(), in = InRect(), outRect = OutRect();
    auto whole = [&](const VRect& rect, int16 lo, int16 hi) {
        return !EmptyRect(rect) && rect.top >= 0 && rect.left >= 0 && rect.bottom <= source_.height &&
               rect.right <= source_.width && lo == 0 && hi == source_.planes - 1;
    };
    // The output goes straight into the document, so it must lie inside
    // filterRect, where the plug-in may write; no mask is asked for.
    if (r.inputRate != kFixedOne || !whole(in, r.inLoPlane, r.inHiPlane) ||
        !whole(outRect, r.outLoPlane, r.outHiPlane) || outRect.top < f.top || outRect.left < f.left ||
        outRect.bottom > f.bottom || outRect.right > f.right || (r.haveMask && !EmptyRect(MaskRect())))
        return false;
    inBuffer_.Reset(0);
    outBuffer_.Reset(0);
    maskBuffer_.Reset(0);
    r.inData = source_.Pixel(in.left, in.top);
    r.inRowBytes = int32(source_.rowBytes());
    r.outData = destination_.Pixel(outRect.left, outRect.top);
    r.outRowBytes = int32(destination_.rowBytes());
    r.maskData = nullptr;
    r.maskRowBytes = 0;
    deliveredOut_ = VRect{0, 0, 0, 0};  // nothing to commit: the output is already in place
    return true;
}

OSErr FilterSession::AdvanceState() {
    ++advanceCalls_;
    FilterRecord& r = *record_;
    advances_.push_back({r.inRect, r.outRect, r.maskRect, r.inLoPlane, r.inHiPlane, r.outLoPlane, r.outHiPlane,
                         r.inputRate, r.inputPadding});
    if (options_.failAdvanceStateAt != 0 && advanceCalls_ == options_.failAdvanceStateAt)
        return options_.advanceStateFailure;
    Commit();
    SetSampleSteps(r.inLoPlane, r.inHiPlane, r.outLoPlane, r.outHiPlane);
    if (options_.directBuffers && DeliverDirect()) return noErr;
    if (!Deliver(InRect(), r.inLoPlane, r.inHiPlane, r.inputRate, r.inputPadding, source_, inBuffer_, &r.inData,
                 &r.inRowBytes))
        return memFullErr;
    if (!Deliver(OutRect(), r.outLoPlane, r.outHiPlane, kFixedOne, r.outputPadding, destination_, outBuffer_,
                 &r.outData, &r.outRowBytes))
        return memFullErr;
    deliveredOut_ = OutRect();
    deliveredOutLo_ = r.outLoPlane;
    deliveredOutHi_ = r.outHiPlane;
    deliveredOutRowBytes_ = r.outRowBytes;
    if (const VRect mask = MaskRect(); r.haveMask && !EmptyRect(mask)) {
        const int w = mask.right - mask.left, h = mask.bottom - mask.top;
        if (!maskBuffer_.Reset(size_t(w) * h)) return memFullErr;
        std::memset(maskBuffer_.data(), 255, size_t(w) * h);
        r.maskData = maskBuffer_.data();
        r.maskRowBytes = w;
    } else {
        maskBuffer_.Reset(0);
        r.maskData = nullptr;
        r.maskRowBytes = 0;
    }
    return noErr;
}

std::string FilterSession::LeakReport() const {
    const HandleCounts now = CurrentHandleCounts();
    // The parameter handle belongs to the host between calls: not a leak.
    // So are the descriptor handed to it and the one recorded.
    int live = now.live - baseLive_;
    for (Handle kept : {record_->parameters, descriptorParameters_.descriptor, recorded_})
        if (kept != nullptr && IsLiveHandle(kept)) --live;
    const int locks = now.locksHeld - countsAtStart_.locksHeld;
    const DescriptorCounts tokens = CurrentDescriptorCounts();
    std::string report;
    if (live > 0) report += std::to_string(live) + " handle(s) left allocated; ";
    if (tokens.openReaders + tokens.openWriters > openDescriptorTokensAtStart_)
        report += "descriptor(s) left open for reading or writing; ";
    if (locks > 0) report += std::to_string(locks) + " lock(s) left held; ";
    if (now.badCalls > countsAtStart_.badCalls) report += "calls with handles the host never gave out; ";
    return report;
}

bool ApplyHostProfile(const std::string& name, HostOptions* o) {
    if (name == "photoshop") {
        o->commitsOutsideSelection = true;
        o->bigDocuments = true;
    } else if (name == "no-kept-handle") {
        o->keepsHandle = false;
    } else if (name == "no-sampling") {
        o->samples = false;
    } else if (name == "rounds-down") {
        o->roundsDown = true;
    } else if (name == "strict-bounds") {
        o->strictBounds = true;
    } else if (name == "no-trackbar") {
        o->barClasses = false;
    } else {
        return false;
    }
    return true;
}

const char* HostProfileNames() {
    return "photoshop, no-kept-handle, no-sampling, rounds-down, strict-bounds, no-trackbar";
}

}  // namespace filterhost
