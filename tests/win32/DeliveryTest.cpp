// What advanceState hands over for inRect: the host's reduced image at every
// whole inputRate, both reduced sizes (with and without supportsPadding),
// edge replication and padding values outside it, plane ranges that go past
// the document's planes; every delivered sample against the rules written
// out sample by sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "HostFixture.h"

namespace tavirel::test {
namespace {

using filterhost::Document;
using filterhost::FilterSession;
using filterhost::HostOptions;

// The reduced size of n source pixels at every rate-th one.
int Reduced(int n, int rate, bool supportsPadding) {
    if (rate == 1) return n;
    return supportsPadding ? (n + rate - 2) / rate + 1 : (n - 1) / rate + 1;
}

// Delivered sample `plane` of reduced pixel (rx, ry), from the rules alone.
uint32_t ExpectedSample(const Document& d, int rx, int ry, int plane, int rate, int16 padding, bool supportsPadding) {
    const int w = Reduced(d.width, rate, supportsPadding), h = Reduced(d.height, rate, supportsPadding);
    const bool outside = rx < 0 || ry < 0 || rx >= w || ry >= h;
    if (outside && padding >= 0 && padding <= 255) return d.depth == 16 ? uint32_t(padding) * 128u : uint32_t(padding);
    if (plane >= d.planes) return 0;
    // The nearest pixel of the reduced image, then its source pixel, which
    // the larger reduced size can put one step past the last column or row.
    const int sx = std::min(std::clamp(rx, 0, w - 1) * rate, d.width - 1);
    const int sy = std::min(std::clamp(ry, 0, h - 1) * rate, d.height - 1);
    return d.Sample(sx, sy, plane);
}

// The first difference between what inData holds and the rules, or "".
std::string CompareDelivery(const FilterRecord& r, const Document& d, bool supportsPadding) {
    const int rate = r.inputRate >> 16, bytes = d.depth == 16 ? 2 : 1;
    const int planes = r.inHiPlane - r.inLoPlane + 1;
    const auto* data = static_cast<const uint8_t*>(r.inData);
    if (data == nullptr) return "no inData";
    if (r.inRowBytes < (r.inRect.right - r.inRect.left) * planes * bytes) return "rows too short";
    for (int y = r.inRect.top; y < r.inRect.bottom; ++y) {
        for (int x = r.inRect.left; x < r.inRect.right; ++x) {
            for (int p = 0; p < planes; ++p) {
                const uint8_t* at = data + intptr_t(y - r.inRect.top) * r.inRowBytes +
                                    (intptr_t(x - r.inRect.left) * planes + p) * bytes;
                uint32_t actual = *at;
                if (bytes == 2) {
                    uint16_t v;
                    std::memcpy(&v, at, 2);
                    actual = v;
                }
                const uint32_t expected =
                    ExpectedSample(d, x, y, r.inLoPlane + p, rate, r.inputPadding, supportsPadding);
                if (actual != expected)
                    return "reduced pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") plane " +
                           std::to_string(r.inLoPlane + p) + ": " + std::to_string(actual) + " instead of " +
                           std::to_string(expected);
            }
        }
    }
    return "";
}

using DeliveryTest = HostTest;

TEST_F(DeliveryTest, ReducedImagesEdgesAndPaddingAtEveryRate) {
    TestRandom random(2024);
    int checked = 0;
    for (int depth : {8, 16}) {
        for (int planes : {1, 3, 4}) {
            const Document d = RandomDocument(37, 23, planes, depth, uint64_t(depth + planes));
            for (bool supportsPadding : {false, true}) {
                HostOptions options;
                options.supportsPadding = supportsPadding;
                FilterSession session(plugin_, d, options);
                session.MakeActive();
                FilterRecord& r = session.record();
                for (int rate : {1, 2, 3, 5, 16, 40}) {
                    const int w = Reduced(d.width, rate, supportsPadding), h = Reduced(d.height, rate, supportsPadding);
                    for (int16 padding : {int16(-1), int16(-2), int16(0), int16(77), int16(255)}) {
                        for (int k = 0; k < 6; ++k) {
                            // Rectangles inside, across every edge and wholly outside.
                            const int top = int(random.UpTo(uint32_t(h + 6))) - 3;
                            const int left = int(random.UpTo(uint32_t(w + 6))) - 3;
                            const int bottom = top + 1 + int(random.UpTo(uint32_t(h + 2)));
                            const int right = left + 1 + int(random.UpTo(uint32_t(w + 2)));
                            const int lo = int(random.UpTo(uint32_t(planes - 1)));
                            const int hi = lo + int(random.UpTo(uint32_t(planes - lo)));  // up to one past the last
                            r.inRect = Rect{int16(top), int16(left), int16(bottom), int16(right)};
                            r.inLoPlane = int16(lo);
                            r.inHiPlane = int16(hi);
                            r.inputRate = Fixed(rate << 16);
                            r.inputPadding = padding;
                            r.outRect = r.maskRect = Rect{0, 0, 0, 0};
                            ASSERT_EQ(r.advanceState(), 0);
                            ASSERT_EQ(CompareDelivery(r, d, supportsPadding), "")
                                << depth << " bits, " << planes << " planes, rate " << rate << ", padding " << padding
                                << ", supportsPadding " << supportsPadding << ", rect " << top << "," << left << ","
                                << bottom << "," << right << ", planes " << lo << ".." << hi;
                            ++checked;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(checked, 2 * 3 * 2 * 6 * 5 * 6);
}

// The preview's requests at a reduction: whole tiles of a larger image, the
// last reduced column and row taken from the image's last ones.
TEST_F(DeliveryTest, PreviewTilesOfALargerImage) {
    for (int depth : {8, 16}) {
        const Document d = RandomDocument(1000, 613, 3, depth, uint64_t(depth));
        FilterSession session(plugin_, d, HostOptions{});
        session.MakeActive();
        FilterRecord& r = session.record();
        for (int rate : {2, 3, 4, 7}) {
            const int w = Reduced(d.width, rate, true), h = Reduced(d.height, rate, true);
            for (int top = 0; top < h; top += 256) {
                for (int left = 0; left < w; left += 256) {
                    r.inRect =
                        Rect{int16(top), int16(left), int16(std::min(top + 256, h)), int16(std::min(left + 256, w))};
                    r.inLoPlane = 0;
                    r.inHiPlane = 2;
                    r.inputRate = Fixed(rate << 16);
                    r.inputPadding = -1;
                    r.outRect = r.maskRect = Rect{0, 0, 0, 0};
                    ASSERT_EQ(r.advanceState(), 0);
                    ASSERT_EQ(CompareDelivery(r, d, true), "") << depth << " bits, rate " << rate;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tavirel::test
