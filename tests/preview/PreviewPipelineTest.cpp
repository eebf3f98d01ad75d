// The preview's image path and sampler against a small host of the test's
// own: what they ask the host for, what they hand displayPixels, and the
// picture that results, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "common/TestRandom.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformTables.h"
#include "plugin/filter/FilterParameters.h"
#include "plugin/preview/PreviewGeometry.h"
#include "plugin/preview/PreviewPipeline.h"
#include "plugin/preview/SampleColour.h"

namespace tavirel {
namespace {

// A host that keeps one document, delivers inRect at inputRate with edge
// replication (or, when it says it cannot sample, at full resolution
// whatever the rate) and outRect at full resolution, and paints
// displayPixels into a screen of client pixels (0, 0 is the client's top left).
struct FakeHost {
    int width = 0, height = 0, planes = 3, depth = 8;
    std::vector<uint16_t> samples;  // every sample widened
    std::vector<uint8_t> in, out;
    int advanceCalls = 0, failAt = 0, displayCalls = 0;
    std::vector<intptr_t> watch;
    std::vector<Rect> inRects, outRects;
    std::vector<PSPixelMap> maps;
    std::vector<void*> contexts;
    static constexpr int kScreen = 400;
    std::vector<uint32_t> screen = std::vector<uint32_t>(kScreen * kScreen, 0x808080);
    std::map<Handle, std::vector<char>> handles;
    int locks = 0;

    uint16_t At(int x, int y, int k) const {
        x = std::clamp(x, 0, width - 1), y = std::clamp(y, 0, height - 1);
        return samples[(size_t(y) * width + x) * planes + k];
    }
    // A buffer of `r` (reduced by `rate`) as the plug-in reads it.
    void Fill(std::vector<uint8_t>& buffer, const Rect& r, int rate, void** data, int32* rowBytes) {
        const int w = r.right - r.left, h = r.bottom - r.top, bytes = depth / 8;
        buffer.assign(size_t(std::max(w, 0)) * std::max(h, 0) * planes * bytes, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int k = 0; k < planes; ++k) {
                    const uint16_t v = At((r.left + x) * rate, (r.top + y) * rate, k);
                    const size_t at = (size_t(y) * w + x) * planes + k;
                    if (bytes == 2)
                        std::memcpy(&buffer[at * 2], &v, 2);
                    else
                        buffer[at] = uint8_t(v);
                }
        // The record is packed to 4 bytes as hosts lay it out, so on a 64-bit
        // build its pointer fields may sit off their natural alignment: stored
        // bytewise.
        void* const start = buffer.data();
        const int32 stride = w * planes * bytes;
        std::memcpy(data, &start, sizeof start);
        std::memcpy(rowBytes, &stride, sizeof stride);
    }
};

FakeHost* host = nullptr;
FilterRecord* hostRecord = nullptr;

OSErr HOST_CALLBACK Advance() {
    FakeHost& h = *host;
    FilterRecord& r = *hostRecord;
    ++h.advanceCalls;
    h.inRects.push_back(r.inRect);
    h.outRects.push_back(r.outRect);
    if (h.advanceCalls == h.failAt) return -128;
    h.Fill(h.in, r.inRect, r.samplingSupport != 0 ? r.inputRate >> 16 : 1, &r.inData, &r.inRowBytes);
    h.Fill(h.out, r.outRect, 1, &r.outData, &r.outRowBytes);
    return noErr;
}

OSErr HOST_CALLBACK Display(const PSPixelMap* map, const VRect* area, int32 row, int32 column, void* context) {
    FakeHost& h = *host;
    ++h.displayCalls;
    h.maps.push_back(*map);
    h.contexts.push_back(context);
    for (int y = area->top; y < area->bottom; ++y)
        for (int x = area->left; x < area->right; ++x) {
            const auto* p =
                static_cast<const uint8_t*>(map->baseAddr) + intptr_t(y) * map->rowBytes + intptr_t(x) * map->colBytes;
            const int sx = column + x, sy = row + y;
            if (sx >= 0 && sy >= 0 && sx < FakeHost::kScreen && sy < FakeHost::kScreen)
                h.screen[size_t(sy) * FakeHost::kScreen + sx] = (uint32_t(p[0]) << 16) | (p[1] << 8) | p[2];
        }
    return noErr;
}

OSErr HOST_CALLBACK SetProperty(PIType, PIType key, int32, intptr_t value, Handle) {
    if (key == propWatchSuspension) host->watch.push_back(value);
    return noErr;
}

Handle HOST_CALLBACK NewH(int32 size) {
    auto* h = new char*;
    host->handles[h].resize(size_t(size));
    *h = host->handles[h].data();
    return h;
}
void HOST_CALLBACK DisposeH(Handle h) {
    host->handles.erase(h);
    delete h;
}
int32 HOST_CALLBACK SizeH(Handle h) { return int32(host->handles[h].size()); }
OSErr HOST_CALLBACK SetSizeH(Handle, int32) { return -108; }
Ptr HOST_CALLBACK LockH(Handle h, Boolean) {
    ++host->locks;
    return *h;
}
void HOST_CALLBACK UnlockH(Handle) { --host->locks; }

class PreviewPipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = &host_;
        hostRecord = &record_;
        std::memset(&record_, 0, sizeof record_);
        procs_ = HandleProcs{
            kCurrentHandleProcsVersion, 6, NewH, DisposeH, SizeH, SetSizeH, LockH, UnlockH, nullptr, nullptr};
        properties_ = PropertyProcs{kCurrentPropertyProcsVersion, 2, nullptr, SetProperty};
        record_.advanceState = Advance;
        record_.displayPixels = Display;
        record_.handleProcs = &procs_;
        record_.propertyProcs = &properties_;
        record_.hostSig = kPhotoshopSignature;
        record_.supportsPadding = 1;
        record_.samplingSupport = 1;
        record_.platformData = &screenContext_;
        SetDefaultParameters(&currentParameters);
        currentParameters.range = 800;
    }
    void TearDown() override { PreviewStop(&record_); }

    void Document(int width, int height, int planes, int depth, uint64_t seed) {
        host_.width = width, host_.height = height, host_.planes = planes, host_.depth = depth;
        host_.samples.resize(size_t(width) * height * planes);
        test::TestRandom random(seed);
        for (uint16_t& s : host_.samples) s = uint16_t(random.UpTo(depth == 16 ? 32768 : 255));
        record_.imageSize = Point{int16(height), int16(width)};
        record_.filterRect = Rect{0, 0, int16(height), int16(width)};
        record_.planes = int16(planes);
        record_.depth = depth;
        record_.imageMode = depth == 16 ? plugInModeRGB48 : plugInModeRGBColor;
    }
    // The view of a 330 x 244 window whose border makes it start at (-1, -1).
    int Start() { return PreviewStart(&record_, Rect{-1, -1, 243, 329}); }

    // The colour client pixel (x, y) must show for the current geometry.
    uint32_t Expected(int x, int y, bool filtered) {
        const PreviewState& p = previewState;
        const PreviewRect v = VisibleRect();
        if (x < v.left || x >= v.right || y < v.top || y >= v.bottom) return 0x808080;
        const int sx = (x - p.imageRect.left) / int(p.zoomIn) * int(p.zoomOut);
        const int sy = (y - p.imageRect.top) / int(p.zoomIn) * int(p.zoomOut);
        // A pixel past the image would be the host's padding: never to be shown.
        if (sx >= host_.width || sy >= host_.height) return 0xFF00FF;
        uint16_t pixel[8];
        for (int k = 0; k < host_.planes; ++k) pixel[k] = host_.At(sx, sy, k);
        const Rect& f = record_.filterRect;
        if (filtered && sx >= f.left && sx < f.right && sy >= f.top && sy < f.bottom) {
            if (host_.depth == 16) {
                TransformRow16(pixel, pixel, host_.planes, 1);
            } else {
                uint8_t narrow[8];
                for (int k = 0; k < host_.planes; ++k) narrow[k] = uint8_t(pixel[k]);
                TransformRow8(narrow, narrow, host_.planes, 1);
                for (int k = 0; k < host_.planes; ++k) pixel[k] = narrow[k];
            }
        }
        uint32_t rgb = 0;
        for (int k = 0; k < 3; ++k) rgb = (rgb << 8) | (host_.depth == 16 ? DisplayByteFrom16(pixel[k]) : pixel[k]);
        return rgb;
    }
    // Client pixels that differ after a fresh draw onto a grey screen.
    int WrongPixels(bool filtered) {
        std::fill(host_.screen.begin(), host_.screen.end(), 0x808080u);
        PreviewDraw(&record_);
        int wrong = 0;
        for (int y = 0; y < 242; ++y)
            for (int x = 0; x < 328; ++x)
                wrong += host_.screen[size_t(y) * FakeHost::kScreen + x] != Expected(x, y, filtered);
        return wrong;
    }

    FakeHost host_;
    FilterRecord record_;
    HandleProcs procs_;
    PropertyProcs properties_;
    int screenContext_ = 0;
};

TEST_F(PreviewPipelineTest, StartFillsThePixelMapAndPreparesTheRequests) {
    Document(700, 500, 4, 16, 1);
    record_.haveMask = 1;
    ASSERT_EQ(Start(), 0);
    const PreviewState& p = previewState;
    ASSERT_NE(p.displayBuffer, nullptr);
    // The display buffer, and the preview's own filtered and gathered pixels
    // (16-bit samples here), all from the host's handles.
    std::vector<size_t> sizes;
    for (const auto& [handle, bytes] : host_.handles) sizes.push_back(bytes.size());
    std::sort(sizes.begin(), sizes.end());
    const size_t display = 4 * 65536 + sizeof(Handle), scratch = 4 * 2 * 65536 + sizeof(Handle);
    EXPECT_EQ(sizes, (std::vector<size_t>{display, scratch, scratch}));
    const PSPixelMap& map = p.pixelMap;
    EXPECT_EQ(map.version, 1);
    EXPECT_TRUE(map.bounds.top == 0 && map.bounds.left == 0 && map.bounds.bottom == 256 && map.bounds.right == 256);
    EXPECT_EQ(map.imageMode, plugInModeRGBColor);
    EXPECT_EQ(map.rowBytes, 4 * 256);
    EXPECT_EQ(map.colBytes, 4);
    EXPECT_EQ(map.planeBytes, 1);
    EXPECT_EQ(map.baseAddr, p.displayBuffer);
    EXPECT_TRUE(map.mat == nullptr && map.masks == nullptr && map.maskPhaseRow == 0 && map.maskPhaseCol == 0);
    EXPECT_EQ(record_.inHiPlane, 3);
    EXPECT_EQ(record_.outHiPlane, 3);
    EXPECT_EQ(record_.inputPadding, -1);
    EXPECT_EQ(record_.outputPadding, -1);
    EXPECT_EQ(record_.maskPadding, -1);
    EXPECT_EQ(record_.maskRate, record_.inputRate);
    EXPECT_EQ(record_.inputRate, 3 << 16);
    EXPECT_EQ(p.sampleRadius, 1);
    EXPECT_EQ(p.showEffect, 1);
    EXPECT_EQ(host_.watch, std::vector<intptr_t>{1});
    PreviewStop(&record_);
    EXPECT_EQ(host_.watch, (std::vector<intptr_t>{1, 0}));
    EXPECT_TRUE(host_.handles.empty());
    EXPECT_EQ(host_.locks, 0);
    EXPECT_EQ(p.imagePresent, 0);
}

TEST_F(PreviewPipelineTest, AFailedStartLeavesNoImage) {
    Document(300, 200, 3, 8, 2);
    ASSERT_EQ(Start(), 0);  // an earlier preview left its rectangles behind
    PreviewStop(&record_);
    record_.advanceState = nullptr;
    EXPECT_EQ(Start(), 1202);
    record_.advanceState = Advance;
    record_.displayPixels = nullptr;
    EXPECT_EQ(Start(), 1203);
    record_.displayPixels = Display;
    record_.handleProcs = nullptr;
    EXPECT_EQ(Start(), -114);
    // Nothing is drawn, sampled or zoomed, and nothing is held.
    EXPECT_TRUE(IsEmpty(VisibleRect()));
    host_.advanceCalls = host_.displayCalls = 0;
    PreviewDraw(&record_);
    SampleRecord sample;
    EXPECT_EQ(SampleColour(&record_, Point{100, 100}, sample.input, sample.output), 0);
    EXPECT_EQ(SetPreviewZoom(&record_, 100), 0);
    EXPECT_EQ(host_.advanceCalls, 0);
    EXPECT_EQ(host_.displayCalls, 0);
    EXPECT_EQ(previewState.displayBuffer, nullptr);
    EXPECT_TRUE(host_.handles.empty());
    EXPECT_EQ(host_.watch, (std::vector<intptr_t>{1, 0, 0, 0, 0}));
}

TEST_F(PreviewPipelineTest, TilesAskForTheirSourceWithScratchOutput) {
    Document(700, 500, 3, 8, 3);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(SetPreviewZoom(&record_, 100), 1);
    PreviewDraw(&record_);
    // The view's 330 x 244 pixels in two tiles, left to right.
    ASSERT_EQ(host_.inRects.size(), 2u);
    const PreviewRect i = previewState.imageRect;
    const Rect first = host_.inRects[0], second = host_.inRects[1];
    EXPECT_EQ(first.left, -1 - i.left);
    EXPECT_EQ(first.top, -1 - i.top);
    EXPECT_EQ(first.right - first.left, 256);
    EXPECT_EQ(first.bottom - first.top, 244);
    EXPECT_EQ(second.left, first.right);
    EXPECT_EQ(second.right - second.left, 330 - 256);
    for (size_t t = 0; t < 2; ++t) {
        // No output is asked for: a host that commits outData would write it
        // into the document.
        const Rect& o = host_.outRects[t];
        EXPECT_TRUE(o.top == 0 && o.left == 0 && o.bottom == 0 && o.right == 0) << "tile " << t;
        EXPECT_EQ(host_.contexts[t], &screenContext_);
        // The map's bounds are the pixels handed over.
        const VRect b = host_.maps[t].bounds;
        EXPECT_TRUE(b.top == 0 && b.left == 0 && b.right == host_.inRects[t].right - host_.inRects[t].left &&
                    b.bottom == host_.inRects[t].bottom - host_.inRects[t].top)
            << "tile " << t;
    }
    // 8 bits at 100 %: the preview's own filtered pixels are shown, without a copy.
    EXPECT_EQ(host_.maps[1].baseAddr, previewState.filterBuffer);
    EXPECT_EQ(host_.maps[1].rowBytes, 3 * (host_.inRects[1].right - host_.inRects[1].left));
    SetPreviewShowsEffect(0);
    PreviewDraw(&record_);
    EXPECT_EQ(host_.maps.back().baseAddr, static_cast<void*>(record_.inData));
    // Magnified, the display buffer again.
    ASSERT_EQ(SetPreviewZoom(&record_, 1), 1);
    PreviewDraw(&record_);
    EXPECT_EQ(host_.maps.back().baseAddr, previewState.displayBuffer);
    EXPECT_EQ(host_.maps.back().rowBytes, 3 * 256);
}

// Every zoom's picture, pixel for pixel, whether the host samples or not,
// with the whole image selected or a selection away from the origin (filtered
// inside it only, as OK will leave the document).
TEST_F(PreviewPipelineTest, EveryZoomShowsTheHostsReducedImage) {
    for (int depth : {8, 16}) {
        for (int planes : {3, 4}) {
            for (int variant = 0; variant < 3; ++variant) {
                Document(900, 610, planes, depth, uint64_t(depth + planes));
                record_.samplingSupport = variant == 1 ? 0 : 1;
                if (variant == 2) record_.filterRect = Rect{101, 237, 390, 611};
                ASSERT_EQ(Start(), 0);
                for (int32_t zoom : {0, 50, 100, 200, 300, 700, 1600}) {
                    SCOPED_TRACE(::testing::Message() << depth << " bits, " << planes << " planes, zoom " << zoom
                                                      << (variant == 1   ? ", no sampling"
                                                          : variant == 2 ? ", a selection"
                                                                         : ""));
                    if (zoom != 0) SetPreviewZoom(&record_, zoom);
                    PanImage(-7, 5);  // off the centre, so phases vary
                    EXPECT_EQ(WrongPixels(true), 0);
                    SetPreviewShowsEffect(0);
                    EXPECT_EQ(WrongPixels(false), 0);
                    SetPreviewShowsEffect(1);
                }
                PreviewStop(&record_);
            }
        }
    }
}

// Reduced 2 to 16 times, sides that are and are not multiples of the rate:
// only real pixels on screen, in a host that samples and in one that cannot.
// The image is wide enough for the fit to reduce it 17 times; each rate is
// reached by zooming in from there, as the zoom buttons do.
TEST_F(PreviewPipelineTest, NoPaddingIsShownAtAnyRate) {
    for (int rate = 2; rate <= 16; ++rate) {
        for (int extra : {0, 1, rate - 1}) {
            for (int sampling : {1, 0}) {
                SCOPED_TRACE(::testing::Message()
                             << "rate " << rate << ", +" << extra << (sampling ? "" : ", no sampling"));
                Document(rate * ((5300 + rate - 1) / rate) + extra, rate * 6 + extra, 3, 8, uint64_t(rate * 7 + extra));
                record_.samplingSupport = char(sampling);
                ASSERT_EQ(Start(), 0);
                while (previewState.zoomOut > uint32_t(rate) && SetPreviewZoom(&record_, 1) == 1) {
                }
                ASSERT_EQ(previewState.zoomOut, uint32_t(rate));
                EXPECT_EQ(WrongPixels(true), 0);
                PreviewStop(&record_);
            }
        }
    }
}

TEST_F(PreviewPipelineTest, AFailingTileStopsOnlyItself) {
    Document(700, 500, 3, 8, 4);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(SetPreviewZoom(&record_, 100), 1);
    host_.failAt = 1;
    PreviewDraw(&record_);
    EXPECT_EQ(host_.advanceCalls, 2);
    EXPECT_EQ(host_.displayCalls, 1);
}

TEST_F(PreviewPipelineTest, SamplesFailWithoutDeliveryAndStopAtTwentyFourPlanes) {
    Document(60, 40, 30, 8, 5);
    ASSERT_EQ(Start(), 0);
    const PreviewRect i = previewState.imageRect;
    int32_t arrays[2][32];
    for (auto& a : arrays) std::fill(std::begin(a), std::end(a), 777);
    ASSERT_EQ(SampleColour(&record_, Point{int16(i.top + 5), int16(i.left + 5)}, arrays[0], arrays[1]), 1);
    for (auto& a : arrays) {
        EXPECT_NE(a[23], 777);
        EXPECT_EQ(a[24], 777);  // the 25th plane is not reported
    }
    host_.failAt = host_.advanceCalls + 1;
    for (auto& a : arrays) std::fill(std::begin(a), std::end(a), 777);
    EXPECT_EQ(SampleColour(&record_, Point{int16(i.top + 5), int16(i.left + 5)}, arrays[0], arrays[1]), 0);
    EXPECT_EQ(arrays[0][0], -1);
    EXPECT_EQ(arrays[1][23], -1);
    EXPECT_EQ(arrays[1][24], 777);
    EXPECT_EQ(SampleColour(&record_, Point{int16(i.top + 5), int16(i.left + 5)}, nullptr, arrays[1]), 0);
    EXPECT_EQ(SampleColour(nullptr, Point{int16(i.top + 5), int16(i.left + 5)}, arrays[0], arrays[1]), 0);
}

}  // namespace
}  // namespace tavirel
