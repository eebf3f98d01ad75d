// Chooses the row transforms once per process, by what the processor can
// run. TAVIREL_SIMD in the environment names a path instead (none forces the
// plain scalar one), so tests and benchmarks can run each; it is a
// diagnostic switch, not a setting.
#include <cstdlib>
#include <cstring>

#include "HueTransform.h"
#include "TransformPaths.h"

namespace tavirel {
namespace {

constexpr TransformPath kAllPaths[] = {
    {"plain", TransformRow8Plain, TransformRow16Plain},
    {"fast", TransformRow8Fast, TransformRow16Fast},
    {"avx2", TransformRow8Avx2, TransformRow16Avx2},
};

bool ProcessorHasAvx2() {
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

int AvailableCount() {
    static const int count = ProcessorHasAvx2() ? 3 : 2;
    return count;
}

const TransformPath& ChoosePath() {
    const int count = AvailableCount();
    const char* forced = std::getenv("TAVIREL_SIMD");
    if (forced != nullptr) {
        if (std::strcmp(forced, "none") == 0) return kAllPaths[0];
        for (int i = 0; i < count; ++i)
            if (std::strcmp(forced, kAllPaths[i].name) == 0) return kAllPaths[i];
    }
    return kAllPaths[count - 1];
}

const TransformPath& ActivePath() {
    static const TransformPath& path = ChoosePath();
    return path;
}

}  // namespace

const TransformPath* AvailableTransformPaths(int* count) {
    *count = AvailableCount();
    return kAllPaths;
}

const char* ActiveTransformPathName() { return ActivePath().name; }

void TransformRow8(const uint8_t* in, uint8_t* out, int planes, int count) {
    ActivePath().row8(in, out, planes, count);
}

void TransformRow16(const uint16_t* in, uint16_t* out, int planes, int count) {
    ActivePath().row16(in, out, planes, count);
}

}  // namespace tavirel
