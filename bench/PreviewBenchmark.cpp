// preview_benchmark: a full redraw of the preview (every tile of the view
// fetched through our host, filtered or not, made into display pixels and
// drawn by displayPixels) for a 4096 x 4096 document at the fit zoom, 100 %
// and 400 %, 8 and 16 bits, Preview on and off; against the bare cost of
// putting the view's pixels on the same window with SetDIBitsToDevice from a
// ready buffer of 8-bit samples. Runs under Wine; prints ms per redraw, the
// ratio to the bare draw and where a redraw's time goes.
//
// When a draw is done. Under Wine a draw into a window lands in the window's
// surface, a bitmap in this process; the X server gets the pixels only when
// the thread next finds its message queue empty (Wine then puts the surface's
// changed part to the server and flushes the connection, without waiting),
// or when 50 ms have passed since the surface was first drawn into. GdiFlush
// does nothing there, and GetPixel on the window's DC reads the surface in
// this process. Timing to either point times the copy into the surface only.
// Both the bare draw and the redraw are therefore timed to the same point:
// the queue found empty, then GetPixel on the screen's DC, which reads the X
// server (XGetImage) over the same connection and so returns only after the
// server has executed the put-image. The benchmark checks this before timing
// (WaitsForTheScreen) and prints both figures: "queued" (the old end point,
// GdiFlush) and "shown".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchDocument.h"
#include "BenchImages.h"
#include "filterhost/lib/Document.h"
#include "filterhost/lib/FilterSession.h"
#include "filterhost/lib/PixelMapDrawing.h"
#include "tests/support/PreviewTestDialog.h"
#include "tests/support/UiDriver.h"
#include "tests/support/WindowsVersion.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformTables.h"
#include "plugin/dialog/ParameterDialog.h"
#include "plugin/entry/ModuleState.h"
#include "plugin/filter/FilterParameters.h"
#include "plugin/preview/PreviewGeometry.h"
#include "plugin/preview/PreviewPipeline.h"
#include "plugin/preview/PreviewPipelineWin.h"
#include "plugin/preview/PreviewWindow.h"

namespace {

using namespace tavirel;
using namespace tavirel::bench;

constexpr int kRounds = 101;

double Milliseconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The end point of every timing: the queue found empty (Wine puts the window
// surfaces to the X server), then a read of the screen (a round trip to the
// server on the connection the put-image went through). Messages waiting are
// handled first, or the queue would not be empty; none are expected.
COLORREF Shown(HDC screen, POINT at) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return GetPixel(screen, at.x, at.y);
}

// A ready buffer of 8-bit samples (24-bit BGR rows, padded to 4 bytes) as
// large as the preview's client area: what the bare draw puts on the window.
struct BareImage {
    BITMAPINFO info{};
    std::vector<uint8_t> bgr;
    int width = 0, height = 0;

    BareImage(int w, int h) : width(w), height(h) {
        const int stride = (w * 3 + 3) & ~3;
        bgr.resize(size_t(stride) * size_t(h));
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
    }
    void Fill(uint8_t blue, uint8_t green, uint8_t red) {
        const int stride = (width * 3 + 3) & ~3;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &bgr[size_t(y) * stride + size_t(x) * 3];
                p[0] = blue, p[1] = green, p[2] = red;
            }
    }
    void Pattern() {
        for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = uint8_t(i * 7);
    }
    void Draw(HDC dc) const {
        SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), bgr.data(), &info,
                          DIB_RGB_COLORS);
    }
};

// Shows which end points wait for the X server: after a draw, GdiFlush and
// GetPixel on the window's DC see the new colour in the surface while the
// screen still has the old one; after Shown the screen has it. false when
// Shown does not bring the colour to the screen, which would make every
// "shown" figure meaningless.
bool WaitsForTheScreen(HWND preview, HDC dc, HDC screen, POINT at, POINT client) {
    RECT r;
    GetClientRect(preview, &r);
    BareImage image(r.right, r.bottom);
    image.Fill(0, 0, 200);
    image.Draw(dc);
    const COLORREF red = Shown(screen, at);
    image.Fill(200, 0, 0);
    image.Draw(dc);
    GdiFlush();
    const COLORREF inSurface = GetPixel(dc, client.x, client.y), onScreen = GetPixel(screen, at.x, at.y);
    const COLORREF blue = Shown(screen, at);
    std::printf(
        "end points: after SetDIBitsToDevice + GdiFlush the window's DC reads %06lx, the screen %06lx;\n"
        "            after the empty queue the screen reads %06lx (drawn %06lx, before it %06lx)\n",
        inSurface, onScreen, blue, RGB(0, 0, 200), RGB(200, 0, 0));
    if (red != RGB(200, 0, 0) || blue != RGB(0, 0, 200)) {
        std::fprintf(stderr, "preview_benchmark: the screen does not show what was drawn\n");
        return false;
    }
    return true;
}

// The colour client pixel (x, y) must have: the host's reduced pixel under it
// (edge pixels repeated), through the engine when the Preview is on, in
// display bytes; grey off the image.
uint32_t ExpectedPixel(const filterhost::Document& d, int x, int y, bool effect) {
    const PreviewState& p = previewState;
    const PreviewRect v = VisibleRect();
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom) return 0x808080;
    const int rx = (x - p.imageRect.left) / int(p.zoomIn), ry = (y - p.imageRect.top) / int(p.zoomIn);
    const int sx = std::min(rx * int(p.zoomOut), d.width - 1), sy = std::min(ry * int(p.zoomOut), d.height - 1);
    uint32_t rgb = 0;
    if (d.depth == 16) {
        uint16_t s[3];
        std::memcpy(s, d.Pixel(sx, sy), sizeof s);
        if (effect) TransformRow16(s, s, 3, 1);
        for (uint16_t v16 : s) rgb = (rgb << 8) | ((uint32_t(v16) * 511u) >> 16);
    } else {
        uint8_t s[3];
        std::memcpy(s, d.Pixel(sx, sy), sizeof s);
        if (effect) TransformRow8(s, s, 3, 1);
        for (uint8_t v8 : s) rgb = (rgb << 8) | v8;
    }
    return rgb;
}

// The drawn picture, read back from the screen, against the document: a
// broken path cannot post a good time unnoticed.
bool CheckPicture(HWND preview, const filterhost::Document& d, bool effect) {
    filterhost::PumpMessages(30);
    const filterhost::ScreenPixels shot = filterhost::CaptureClientPixels(preview);
    const PreviewRect v = VisibleRect();
    for (int y = std::max(v.top, 0); y < v.bottom && y < shot.height; ++y) {
        for (int x = std::max(v.left, 0); x < v.right && x < shot.width; ++x) {
            const uint32_t expected = ExpectedPixel(d, x, y, effect);
            if (shot.At(x, y) != expected) {
                std::fprintf(stderr, "preview_benchmark: pixel (%d, %d) is %06x, not %06x\n", x, y,
                             unsigned(shot.At(x, y)), unsigned(expected));
                return false;
            }
        }
    }
    return true;
}

// The stage split: the host's callbacks wrapped, with the host's own
// displayPixels steps (conversion, then the blit) timed apart. The wrapper
// does what the host's callback does, in its order, through its functions.
AdvanceStateProc hostAdvance = nullptr;
double advanceMs = 0, convertMs = 0, blitMs = 0;
int displayCalls = 0;
filterhost::DisplayImage stageImage;

OSErr HOST_CALLBACK TimedAdvance() {
    const double start = Milliseconds();
    const OSErr result = hostAdvance();
    advanceMs += Milliseconds() - start;
    return result;
}

OSErr HOST_CALLBACK TimedDisplay(const PSPixelMap* map, const VRect* area, int32 row, int32 column, void* dc) {
    if (dc == nullptr) return paramErr;
    ++displayCalls;
    const double start = Milliseconds();
    const OSErr converted = filterhost::ConvertPixelMap(map, area, stageImage);
    const double done = Milliseconds();
    if (converted == noErr) filterhost::DrawDisplayImage(stageImage, row, column, static_cast<HDC>(dc));
    convertMs += done - start;
    blitMs += Milliseconds() - done;
    return converted;
}

struct Row {
    double queued, shown, bareQueued, bareShown;
    double advance, plugin, convert, blit, toScreen;
    int tiles;  // displayPixels calls a redraw
};

// The engine alone on the pixels a redraw with the Preview on transforms:
// the host's reduced pixels under the visible rectangle, gathered once into
// rows of their own, then transformed row by row (median of kRounds).
double EngineAloneMs(const filterhost::Document& d) {
    const PreviewState& p = previewState;
    const PreviewRect v = VisibleRect();
    const int z = int(p.zoomIn), n = int(p.zoomOut);
    const int left = (v.left - p.imageRect.left) / z, top = (v.top - p.imageRect.top) / z;
    const int right = (v.right - p.imageRect.left + z - 1) / z, bottom = (v.bottom - p.imageRect.top + z - 1) / z;
    const int width = right - left, height = bottom - top, bytes = d.sampleBytes();
    const size_t rowBytes = size_t(width) * 3 * size_t(bytes);
    std::vector<uint8_t> in(rowBytes * size_t(height)), out(in.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(&in[size_t(y) * rowBytes + size_t(x) * 3 * bytes],
                        d.Pixel(std::min((left + x) * n, d.width - 1), std::min((top + y) * n, d.height - 1)),
                        size_t(3 * bytes));
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const double start = Milliseconds();
        for (int y = 0; y < height; ++y) {
            if (bytes == 2)
                TransformRow16(reinterpret_cast<const uint16_t*>(&in[size_t(y) * rowBytes]),
                               reinterpret_cast<uint16_t*>(&out[size_t(y) * rowBytes]), 3, width);
            else
                TransformRow8(&in[size_t(y) * rowBytes], &out[size_t(y) * rowBytes], 3, width);
        }
        times.push_back(Milliseconds() - start);
    }
    return Median(times);
}

// Costs inside every redraw whatever the zoom: the tables rebuilt, and the
// cache DC got and released; medians of kRounds.
void PrintFixedCosts(HWND preview) {
    std::vector<double> tables, dc;
    for (int i = 0; i < kRounds; ++i) {
        double start = Milliseconds();
        BuildTransformTables();
        tables.push_back(Milliseconds() - start);
        start = Milliseconds();
        HDC cache = GetDCEx(preview, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
        ReleaseDC(preview, cache);
        dc.push_back(Milliseconds() - start);
    }
    std::printf("inside every redraw: BuildTransformTables %.3f ms, GetDCEx + ReleaseDC %.3f ms\n", Median(tables),
                Median(dc));
}

// Bare draws and redraws taken in turn, each timed to GdiFlush (queued) and
// to the screen (shown); then the redraws again with the stages timed.
Row Measure(FilterRecord* record, HWND dialog, HWND preview, HDC screen, POINT at) {
    RECT r;
    GetClientRect(preview, &r);
    BareImage bare(r.right, r.bottom);
    bare.Pattern();
    HDC dc = GetDCEx(preview, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    std::vector<double> queued, shown, bareQueued, bareShown;
    for (int i = 0; i < kRounds; ++i) {
        Shown(screen, at);
        double start = Milliseconds();
        bare.Draw(dc);
        GdiFlush();
        double mid = Milliseconds();
        Shown(screen, at);
        double end = Milliseconds();
        bareQueued.push_back(mid - start);
        bareShown.push_back(end - start);

        start = Milliseconds();
        RedrawPreview(record, dialog);
        GdiFlush();
        mid = Milliseconds();
        Shown(screen, at);
        end = Milliseconds();
        queued.push_back(mid - start);
        shown.push_back(end - start);
    }
    ReleaseDC(preview, dc);

    const AdvanceStateProc advance = record->advanceState;
    const DisplayPixelsProc display = record->displayPixels;
    hostAdvance = advance;
    record->advanceState = TimedAdvance;
    record->displayPixels = TimedDisplay;
    std::vector<double> a, p, c, b, s;
    displayCalls = 0;
    for (int i = 0; i < kRounds; ++i) {
        Shown(screen, at);
        advanceMs = convertMs = blitMs = 0;
        const double start = Milliseconds();
        RedrawPreview(record, dialog);
        const double drawn = Milliseconds();
        Shown(screen, at);
        const double end = Milliseconds();
        a.push_back(advanceMs);
        c.push_back(convertMs);
        b.push_back(blitMs);
        p.push_back(drawn - start - advanceMs - convertMs - blitMs);
        s.push_back(end - drawn);
    }
    record->advanceState = advance;
    record->displayPixels = display;
    return Row{Median(queued), Median(shown), Median(bareQueued), Median(bareShown), Median(a),
               Median(p),      Median(c),     Median(b),          Median(s),         displayCalls / kRounds};
}

}  // namespace

// One step of the hue trackbar in the real parameter dialog at the fit zoom,
// as the dialog handles the thumb's move (value, edit text, both swatches, the
// preview redrawn at once), timed to the same end point as the redraws: the
// X server has the pixels. *redrawMs: RedrawPreview alone with the settings
// changing the same way. false when a step missed its value or its text.
bool TrackbarStepMs(FilterRecord* record, HDC screen, double* stepMs, double* redrawMs) {
    DialogStartRecord start{record, 5, 101, 201, 1};
    HWND dialog = CreateDialogParamA(PluginInstance(), "PARAM_DLG", nullptr, ParameterDialogProc,
                                     reinterpret_cast<LPARAM>(&start));
    if (dialog == nullptr) return false;
    ShowWindow(dialog, SW_SHOW);
    filterhost::PumpMessages(300);
    HWND hue = GetDlgItem(dialog, 101);
    SetFocus(hue);  // as the press on its thumb gives it
    filterhost::PumpMessages(50);
    POINT at{20, 20};
    ClientToScreen(GetDlgItem(dialog, kPreviewWindowId), &at);
    std::vector<double> steps, redraws;
    bool ok = true;
    for (int i = 0; i < kRounds; ++i) {
        const int position = 1200 + (i & 1);
        SendMessageA(hue, TBM_SETPOS, TRUE, position);  // the thumb moves itself before it reports
        Shown(screen, at);
        double begin = Milliseconds();
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(hue));
        Shown(screen, at);
        steps.push_back(Milliseconds() - begin);
        char text[16] = "";
        GetDlgItemTextA(dialog, 201, text, sizeof text);
        ok = ok && currentParameters.sourceHue == position && std::strcmp(text, i & 1 ? "120.1" : "120.0") == 0;

        currentParameters.sourceHue = 1200 + ((i + 1) & 1);
        begin = Milliseconds();
        RedrawPreview(record, dialog);
        Shown(screen, at);
        redraws.push_back(Milliseconds() - begin);
    }
    DestroyWindow(dialog);
    filterhost::PumpMessages(20);
    *stepMs = Median(steps);
    *redrawMs = Median(redraws);
    if (!ok) std::fprintf(stderr, "preview_benchmark: a trackbar step missed its value or its text\n");
    return ok;
}

int main() {
    filterhost::PluginModule plugin;
    std::string error;
    if (!plugin.Load(filterhost::ProgramFolder() + TAVIREL_PRODUCT_NAME, &error)) {
        std::fprintf(stderr, "preview_benchmark: %s\n", error.c_str());
        return 1;
    }
    SetPluginInstance(plugin.module());
    RegisterPreviewClass();
    HDC screen = GetDC(nullptr);
    bool ok = true;
    std::vector<double> bareShown, bareQueued;
    double step[2] = {0, 0}, stepRedraw[2] = {0, 0};
    for (int depth : {8, 16}) {
        const filterhost::Document document = MakeDocument(depth);
        filterhost::FilterSession session(plugin, document, filterhost::HostOptions{});
        session.MakeActive();
        SetDefaultParameters(&currentParameters);
        filterhost::PreviewTestDialog dialog;
        FilterRecord* record = &session.record();
        CreatePreviewWindow(record, dialog.window());
        HWND preview = GetDlgItem(dialog.window(), kPreviewWindowId);
        filterhost::PumpMessages(200);
        // A point inside the view, in client and in screen coordinates.
        const POINT client{20, 20};
        POINT at = client;
        ClientToScreen(preview, &at);
        if (depth == 8) {
            RECT r;
            GetClientRect(preview, &r);
            std::printf("view %ld x %ld pixels (the preview's client area)\n", r.right, r.bottom);
            HDC dc = GetDCEx(preview, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
            ok = WaitsForTheScreen(preview, dc, screen, at, client);
            ReleaseDC(preview, dc);
            if (!ok) break;
            std::printf("\n%-5s %-5s %-4s %6s %5s | %7s %7s %6s | %7s %7s | %7s %7s %7s %7s %7s | %7s\n", "depth",
                        "zoom", "prev", "pixels", "tiles", "queued", "shown", "x bare", "bare q", "bare s", "advance",
                        "plug-in", "convert", "blit", "screen", "engine");
        }

        const struct {
            const char* name;
            int32_t request;
        } zooms[] = {{"fit", 0}, {"100%", 100}, {"400%", 400}};
        for (const auto& zoom : zooms) {
            SetPreviewZoom(record, zoom.request);
            for (int effect : {1, 0}) {
                SetPreviewShowsEffect(effect);
                RedrawPreview(record, dialog.window());
                if (!CheckPicture(preview, document, effect == 1)) {
                    ok = false;
                    break;
                }
                // The visible rectangle can take in the window's border; the drawn
                // pixels are the part inside the client area.
                const PreviewRect v = VisibleRect();
                RECT client;
                GetClientRect(preview, &client);
                const long pixels = long(std::min<long>(v.right, client.right) - std::max<long>(v.left, 0)) *
                                    long(std::min<long>(v.bottom, client.bottom) - std::max<long>(v.top, 0));
                const Row m = Measure(record, dialog.window(), preview, screen, at);
                bareShown.push_back(m.bareShown);
                bareQueued.push_back(m.bareQueued);
                const double engine = effect == 1 ? EngineAloneMs(document) : 0.0;
                std::printf(
                    "%-5d %-5s %-4s %6ld %5d | %7.3f %7.3f %6.2f | %7.3f %7.3f | %7.3f %7.3f %7.3f %7.3f %7.3f"
                    " | %7.3f\n",
                    depth, zoom.name, effect ? "on" : "off", pixels, m.tiles, m.queued, m.shown, m.shown / m.bareShown,
                    m.bareQueued, m.bareShown, m.advance, m.plugin, m.convert, m.blit, m.toScreen, engine);
            }
            if (!ok) break;
        }
        if (ok && depth == 16) PrintFixedCosts(preview);
        DestroyWindow(dialog.window());
        filterhost::PumpMessages(20);
        if (!ok) break;
        // The dialog's own preview opens at the fit zoom again.
        SetDefaultParameters(&currentParameters);
        ok = TrackbarStepMs(record, screen, &step[depth / 16], &stepRedraw[depth / 16]);
        if (!ok) break;
    }
    ReleaseDC(nullptr, screen);
    UnregisterPreviewClass();
    if (!ok) return 1;
    std::printf(
        "\nms, medians of %d; x bare = shown / bare shown of the same row; tiles = displayPixels calls a\n"
        "redraw. queued: to GdiFlush (the pixels in Wine's window surface); shown: until the X server has\n"
        "them. Stages (medians of a second pass with the host's callbacks timed): advance = advanceState,\n"
        "plug-in = the rest of the redraw, convert and blit = displayPixels' conversion and its\n"
        "SetDIBitsToDevice, screen = the way to the screen after the redraw. engine: the row transform\n"
        "alone on the pixels a redraw transforms (part of plug-in). Bare draw of the view, median of the\n"
        "rows: queued %.3f, shown %.3f\n",
        kRounds, Median(bareQueued), Median(bareShown));
    const double bare = Median(bareShown);
    std::printf(
        "\none trackbar step in the dialog at the fit zoom (value, edit text, swatches, preview redrawn),\n"
        "to the same end point; redraw alone = RedrawPreview with the settings changing the same way:\n");
    std::printf("%-6s %10s %10s %14s %14s %10s\n", "depth", "ms/step", "x bare", "redraw alone", "x redraw",
                "< 16.7 ms");
    for (int k = 0; k < 2; ++k)
        std::printf("%-6d %10.3f %10.2f %14.3f %14.2f %10s\n", k == 0 ? 8 : 16, step[k], step[k] / bare, stepRedraw[k],
                    step[k] / stepRedraw[k], step[k] < 1000.0 / 60.0 ? "yes" : "no");
    return 0;
}
