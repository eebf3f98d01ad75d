// preview_benchmark: a full redraw of the preview (every tile of the view
// fetched through our host, filtered or not, made into display pixels and
// drawn by displayPixels) for a 4096 x 4096 document at the fit zoom, 100 %
// and 400 %, 8 and 16 bits, Preview on and off; against the bare cost of
// putting as many pixels on the same window with SetDIBitsToDevice from a
// ready 8-bit buffer. Runs under Wine; prints ms per redraw and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchDocument.h"
#include "BenchImages.h"
#include "filterhost/lib/Document.h"
#include "filterhost/lib/FilterSession.h"
#include "filterhost/lib/PreviewTestDialog.h"
#include "filterhost/lib/UiDriver.h"
#include "filterhost/lib/WindowsVersion.h"
#include "plugin/entry/ModuleState.h"
#include "plugin/filter/FilterParameters.h"
#include "plugin/preview/PreviewGeometry.h"
#include "plugin/preview/PreviewPipeline.h"
#include "plugin/preview/PreviewPipelineWin.h"
#include "plugin/preview/PreviewWindow.h"

namespace {

using namespace tavirel;
using namespace tavirel::bench;

constexpr int kRounds = 30;

// The host's share of a redraw: every advanceState and displayPixels call
// goes through these, which add up the time spent inside the host.
AdvanceStateProc hostAdvance = nullptr;
DisplayPixelsProc hostDisplay = nullptr;
double hostMs = 0;

double Milliseconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Milliseconds();

OSErr HOST_CALLBACK TimedAdvance() {
    const double start = Milliseconds();
    const OSErr result = hostAdvance();
    hostMs += Milliseconds() - start;
    return result;
}

OSErr HOST_CALLBACK TimedDisplay(const PSPixelMap* map, const VRect* area, int32 row, int32 column, void* dc) {
    const double start = Milliseconds();
    const OSErr result = hostDisplay(map, area, row, column, dc);
    GdiFlush();
    hostMs += Milliseconds() - start;
    return result;
}

// The median of kRounds timings of `work`, in ms.
template <typename Work>
double MedianMs(Work work) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const double start = Milliseconds();
        work();
        GdiFlush();
        times.push_back(Milliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// SetDIBitsToDevice of a ready 24-bit buffer covering the preview's client area.
double BareDrawMs(HWND preview) {
    RECT client;
    GetClientRect(preview, &client);
    const int w = client.right, h = client.bottom;
    const int stride = (w * 3 + 3) & ~3;
    std::vector<uint8_t> bgr(size_t(stride) * h);
    for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = uint8_t(i * 7);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    HDC dc = GetDCEx(preview, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    const double ms = MedianMs(
        [&] { SetDIBitsToDevice(dc, 0, 0, DWORD(w), DWORD(h), 0, 0, 0, UINT(h), bgr.data(), &info, DIB_RGB_COLORS); });
    ReleaseDC(preview, dc);
    return ms;
}

// The drawn picture at 100 % with Preview off is the document itself: a
// broken path cannot post a good time unnoticed.
bool CheckPicture(HWND preview, const filterhost::Document& d) {
    const filterhost::ScreenPixels shot = filterhost::CaptureClientPixels(preview);
    const PreviewRect v = VisibleRect();
    const PreviewRect& i = previewState.imageRect;
    for (int y = std::max(v.top, 0); y < v.bottom && y < shot.height; ++y) {
        for (int x = std::max(v.left, 0); x < v.right && x < shot.width; ++x) {
            uint32_t rgb = 0;
            for (int k = 0; k < 3; ++k) {
                uint32_t s = d.Sample(x - i.left, y - i.top, k);
                if (d.depth == 16) s = (s * 511u) >> 16;
                rgb = (rgb << 8) | s;
            }
            if (shot.At(x, y) != rgb) {
                std::fprintf(stderr, "preview_benchmark: pixel (%d, %d) is %06x, not %06x\n", x, y,
                             unsigned(shot.At(x, y)), unsigned(rgb));
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main() {
    filterhost::PluginModule plugin;
    std::string error;
    if (!plugin.Load(filterhost::ProgramFolder() + "Tavirel.8bf", &error)) {
        std::fprintf(stderr, "preview_benchmark: %s\n", error.c_str());
        return 1;
    }
    SetPluginInstance(plugin.module());
    RegisterPreviewClass();
    std::printf("%-6s %-6s %-8s %10s %10s %10s %8s\n", "depth", "zoom", "preview", "ms/redraw", "host ms", "plug-in ms",
                "x bare");
    double bare = 0;
    bool ok = true;
    for (int depth : {8, 16}) {
        const filterhost::Document document = MakeDocument(depth);
        filterhost::FilterSession session(plugin, document, filterhost::HostOptions{});
        session.MakeActive();
        SetDefaultParameters(&currentParameters);
        filterhost::PreviewTestDialog dialog;
        FilterRecord* record = &session.record();
        hostAdvance = record->advanceState;
        hostDisplay = record->displayPixels;
        record->advanceState = TimedAdvance;
        record->displayPixels = TimedDisplay;
        CreatePreviewWindow(record, dialog.window());
        HWND preview = GetDlgItem(dialog.window(), kPreviewWindowId);
        filterhost::PumpMessages(200);
        if (bare == 0) bare = BareDrawMs(preview);

        SetPreviewZoom(record, 100);
        SetPreviewShowsEffect(0);
        RedrawPreview(record, dialog.window());
        filterhost::PumpMessages(100);
        ok = ok && CheckPicture(preview, document);

        const struct {
            const char* name;
            int32_t request;
        } zooms[] = {{"fit", 0}, {"100%", 100}, {"400%", 400}};
        for (const auto& zoom : zooms) {
            SetPreviewZoom(record, zoom.request);
            for (int effect : {1, 0}) {
                SetPreviewShowsEffect(effect);
                hostMs = 0;
                const double ms = MedianMs([&] { RedrawPreview(record, dialog.window()); });
                const double host = hostMs / kRounds;  // a mean beside the median: an estimate of the share
                std::printf("%-6d %-6s %-8s %10.3f %10.3f %10.3f %8.2f\n", depth, zoom.name, effect ? "on" : "off", ms,
                            host, ms - host, ms / bare);
            }
        }
        DestroyWindow(dialog.window());
        filterhost::PumpMessages(20);
    }
    std::printf("bare SetDIBitsToDevice of the view: %.3f ms\n", bare);
    UnregisterPreviewClass();
    return ok ? 0 : 1;
}
