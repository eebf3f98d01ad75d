// The engine against the plain reference (common/ReferenceTransform.h): every
// 8-bit colour, and ten million seeded 16-bit colours plus the boundaries, for
// a fixed list of settings and five seeded random ones. Every row path this
// processor can run is compared, and the active one through TransformRow8/16
// on a first slice. A mismatch prints the settings and the input triple.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ReferenceTransform.h"
#include "common/TestRandom.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformPaths.h"
#include "plugin/engine/TransformTables.h"

namespace tavirel::test {
namespace {

std::string Describe(const ReferenceSettings& s) {
    char text[160];
    std::snprintf(text, sizeof text, "source (%d, %d, %d) destination (%d, %d, %d) range %d", s.sourceHue,
                  s.sourceSaturation, s.sourceBrightness, s.destinationHue, s.destinationSaturation,
                  s.destinationBrightness, s.range);
    return text;
}

std::vector<ReferenceSettings> SettingsUnderTest() {
    std::vector<ReferenceSettings> list;
    const ReferenceSettings d = kDefaultReferenceSettings;
    list.push_back(d);
    for (int32_t range : {0, 1, 1000})
        list.push_back({d.sourceHue, d.sourceSaturation, d.sourceBrightness, d.destinationHue, d.destinationSaturation,
                        d.destinationBrightness, range});
    ReferenceSettings s = d;
    s.sourceSaturation = 0;
    list.push_back(s);
    s = d;
    s.destinationSaturation = 0;
    list.push_back(s);
    s = d;
    s.sourceHue = 3600;
    list.push_back(s);
    s = d;
    s.destinationHue = 0;
    list.push_back(s);
    s = d;
    s.destinationHue = 3600;
    list.push_back(s);
    TestRandom random(0x7A71AE1);
    for (int i = 0; i < 5; ++i) {
        list.push_back({int32_t(random.UpTo(3600)), int32_t(random.UpTo(1000)), int32_t(random.UpTo(1000)),
                        int32_t(random.UpTo(3600)), int32_t(random.UpTo(1000)), int32_t(random.UpTo(1000)),
                        int32_t(random.UpTo(1000))});
    }
    return list;
}

class ReferenceComparison : public ::testing::TestWithParam<ReferenceSettings> {
protected:
    void SetUp() override {
        ApplyReferenceSettings(GetParam());
        BuildTransformTables();
    }
};

struct NamedPath {
    std::string name;
    Row8Function row8;
    Row16Function row16;
};

// Every path this processor can run and, with `active`, TransformRow8/16.
// Those only forward to one of the paths, so the whole range through them
// would repeat that path's work: they take the first slice of it, which shows
// that they forward, and to a path that is right.
std::vector<NamedPath> PathsUnderTest(bool active) {
    std::vector<NamedPath> paths;
    int count = 0;
    const TransformPath* available = AvailableTransformPaths(&count);
    for (int i = 0; i < count; ++i) paths.push_back({available[i].name, available[i].row8, available[i].row16});
    if (active)
        paths.push_back({std::string("active (") + ActiveTransformPathName() + ")", TransformRow8, TransformRow16});
    return paths;
}

TEST_P(ReferenceComparison, Every8BitColour) {
    const ReferenceSettings& s = GetParam();
    std::vector<uint8_t> in(256 * 256 * 3), out(in.size());
    std::vector<Rgb> expected(256 * 256);
    const ReferenceTransformer reference(s);
    for (uint32_t r = 0; r < 256; ++r) {
        for (uint32_t g = 0; g < 256; ++g) {
            for (uint32_t b = 0; b < 256; ++b) {
                const size_t i = g * 256 + b;
                in[i * 3] = uint8_t(r);
                in[i * 3 + 1] = uint8_t(g);
                in[i * 3 + 2] = uint8_t(b);
                expected[i] = reference.Transform8({r, g, b});
            }
        }
        for (const NamedPath& path : PathsUnderTest(r == 0)) {
            path.row8(in.data(), out.data(), 3, 256 * 256);
            for (size_t i = 0; i < expected.size(); ++i) {
                const Rgb e = expected[i];
                if (out[i * 3] != e.r || out[i * 3 + 1] != e.g || out[i * 3 + 2] != e.b) {
                    FAIL() << Describe(s) << ", " << path.name << " path: input (" << r << ", " << i / 256 << ", "
                           << i % 256 << ") gives (" << int(out[i * 3]) << ", " << int(out[i * 3 + 1]) << ", "
                           << int(out[i * 3 + 2]) << "), expected (" << e.r << ", " << e.g << ", " << e.b << ")";
                }
            }
        }
    }
}

// Values a 16-bit pixel must get right: the ends of the host scale, the
// multiples of 32 the brightness steps on and their neighbours.
std::vector<uint32_t> BoundaryLevels() {
    return {0, 1, 2, 31, 32, 33, 63, 64, 255, 256, 16383, 16384, 32735, 32736, 32767, 32768};
}

void AddBoundaryColours(std::vector<uint16_t>* colours) {
    const std::vector<uint32_t> levels = BoundaryLevels();
    auto add = [&](uint32_t r, uint32_t g, uint32_t b) {
        colours->push_back(uint16_t(r));
        colours->push_back(uint16_t(g));
        colours->push_back(uint16_t(b));
    };
    for (uint32_t r : levels)
        for (uint32_t g : levels)
            for (uint32_t b : levels) add(r, g, b);
    for (uint32_t v = 0; v <= 32768; ++v) {
        add(v, v, v);  // greys
        add(v, 0, 0);
        add(v, v, 0);
        add(0, v, 0);  // pure hues
        add(0, v, v);
        add(0, 0, v);
        add(v, 0, v);
        if (v < 32768) {
            add(v + 1, v, v);
            add(v, v + 1, v);
            add(v, v, v + 1);
        }  // one apart
        if (v > 0) {
            add(v - 1, v, v);
            add(v, v - 1, v);
            add(v, v, v - 1);
        }
    }
}

TEST_P(ReferenceComparison, SixteenBitColours) {
    const ReferenceSettings& s = GetParam();
    std::vector<uint16_t> in;
    AddBoundaryColours(&in);
    TestRandom random(0x16B17 + uint64_t(s.sourceHue) * 7919 + uint64_t(s.range));
    constexpr size_t kRandomColours = 10'000'000;
    const size_t boundaryCount = in.size() / 3;
    constexpr size_t kChunk = 1 << 16;
    std::vector<uint16_t> out(kChunk * 3);
    std::vector<uint16_t> chunk(kChunk * 3);
    std::vector<Rgb> expected(kChunk);
    const ReferenceTransformer reference(s);
    size_t done = 0;
    const size_t total = boundaryCount + kRandomColours;
    while (done < total) {
        const size_t count = std::min(kChunk, total - done);
        for (size_t i = 0; i < count; ++i) {
            const size_t n = done + i;
            for (int c = 0; c < 3; ++c)
                chunk[i * 3 + c] = n < boundaryCount ? in[n * 3 + c] : uint16_t(random.UpTo(32768));
        }
        for (size_t i = 0; i < count; ++i)
            expected[i] = reference.Transform16({chunk[i * 3], chunk[i * 3 + 1], chunk[i * 3 + 2]});
        for (const NamedPath& path : PathsUnderTest(done == 0)) {
            path.row16(chunk.data(), out.data(), 3, int(count));
            for (size_t i = 0; i < count; ++i) {
                const Rgb p{chunk[i * 3], chunk[i * 3 + 1], chunk[i * 3 + 2]};
                const Rgb e = expected[i];
                if (out[i * 3] != e.r || out[i * 3 + 1] != e.g || out[i * 3 + 2] != e.b) {
                    FAIL() << Describe(s) << ", " << path.name << " path: input (" << p.r << ", " << p.g << ", " << p.b
                           << ") gives (" << out[i * 3] << ", " << out[i * 3 + 1] << ", " << out[i * 3 + 2]
                           << "), expected (" << e.r << ", " << e.g << ", " << e.b << ")";
                }
            }
        }
        done += count;
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, ReferenceComparison, ::testing::ValuesIn(SettingsUnderTest()),
                         [](const ::testing::TestParamInfo<ReferenceSettings>& info) {
                             const ReferenceSettings& s = info.param;
                             char name[80];
                             std::snprintf(name, sizeof name, "s%u_hue%d_to%d_range%d", unsigned(info.index),
                                           s.sourceHue, s.destinationHue, s.range);
                             return std::string(name);
                         });

}  // namespace
}  // namespace tavirel::test
