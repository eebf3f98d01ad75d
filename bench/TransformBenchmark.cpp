// Pixels per second of the row transforms on 4096 x 4096 buffers, beside the
// limits of memory traffic (memcpy) and of one table lookup per sample.
// Each transform first checks its output against the plain scalar path.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>

#include "BenchImages.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformPaths.h"
#include "plugin/engine/TransformTables.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::bench {
namespace {

void UseSettings(Scene scene) {
    SetDefaultParameters(&currentParameters);
    if (scene == Scene::Sweep) currentParameters.range = 1000;
    BuildTransformTables();
}

template <typename Sample>
const std::vector<Sample>& Image(Scene scene) {
    static std::map<Scene, std::vector<Sample>> cache;
    auto it = cache.find(scene);
    if (it == cache.end()) {
        if constexpr (sizeof(Sample) == 1)
            it = cache.emplace(scene, MakeImage8(scene)).first;
        else
            it = cache.emplace(scene, MakeImage16(scene)).first;
    }
    return it->second;
}

template <typename Sample, typename Row, typename Plain>
void RunTransform(benchmark::State& state, Scene scene, Row row, Plain plain) {
    UseSettings(scene);
    const std::vector<Sample>& in = Image<Sample>(scene);
    std::vector<Sample> out(in.size()), reference(in.size());
    plain(in.data(), reference.data(), 3, int(kPixels));
    row(in.data(), out.data(), 3, int(kPixels));
    if (Checksum(out.data(), out.size() * sizeof(Sample)) !=
        Checksum(reference.data(), reference.size() * sizeof(Sample))) {
        state.SkipWithError("the active path differs from the plain path");
        return;
    }
    for (auto _ : state) {
        row(in.data(), out.data(), 3, int(kPixels));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    state.SetLabel(ActiveTransformPathName());
}

void BM_Transform8(benchmark::State& state, Scene scene) {
    RunTransform<uint8_t>(state, scene, TransformRow8, TransformRow8Plain);
}
void BM_Transform16(benchmark::State& state, Scene scene) {
    RunTransform<uint16_t>(state, scene, TransformRow16, TransformRow16Plain);
}

template <typename Sample>
void Memcpy(benchmark::State& state) {
    const std::vector<Sample>& in = Image<Sample>(Scene::Noise);
    std::vector<Sample> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size() * sizeof(Sample));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
}

// out[c] = table[c][in[c]]: one lookup per sample, the cheapest per-pixel colour map.
template <typename Sample, size_t kEntries>
void Lut(benchmark::State& state) {
    const std::vector<Sample>& in = Image<Sample>(Scene::Noise);
    std::vector<Sample> out(in.size());
    auto tables = std::make_unique<Sample[]>(3 * kEntries);
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < kEntries; ++i) tables[c * kEntries + i] = Sample((i * 7 + c) % kEntries);
    for (auto _ : state) {
        const Sample* s = in.data();
        Sample* d = out.data();
        for (size_t p = 0; p < kPixels; ++p, s += 3, d += 3) {
            d[0] = tables[s[0]];
            d[1] = tables[kEntries + s[1]];
            d[2] = tables[2 * kEntries + s[2]];
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
}

BENCHMARK_CAPTURE(BM_Transform8, noise8, Scene::Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transform8, sweep8, Scene::Sweep)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transform8, photo8, Scene::Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transform16, noise16, Scene::Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transform16, sweep16, Scene::Sweep)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transform16, photo16, Scene::Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Memcpy, uint8_t)->Name("BM_Memcpy8")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Lut, uint8_t, 256)->Name("BM_Lut8")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Memcpy, uint16_t)->Name("BM_Memcpy16")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Lut, uint16_t, 32769)->Name("BM_Lut16")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavirel::bench

BENCHMARK_MAIN();
