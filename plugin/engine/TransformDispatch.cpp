// Chooses the row transforms once per process. TAVIREL_SIMD=none in the
// environment forces the plain scalar paths, so that tests and benchmarks can
// run both; it is a diagnostic switch, not a setting.
#include <cstdlib>
#include <cstring>

#include "HueTransform.h"
#include "TransformPaths.h"

namespace tavirel {
namespace {

struct Paths {
    Row8Function row8;
    Row16Function row16;
};

Paths ChoosePaths() {
    const char* forced = std::getenv("TAVIREL_SIMD");
    if (forced != nullptr && std::strcmp(forced, "none") == 0)
        return {TransformRow8Plain, TransformRow16Plain};
    return {TransformRow8Fast, TransformRow16Fast};
}

const Paths& ActivePaths() {
    static const Paths paths = ChoosePaths();
    return paths;
}

}  // namespace

const char* ActiveTransformPathName() {
    return ActivePaths().row8 == TransformRow8Plain ? "plain" : "fast";
}

void TransformRow8(const uint8_t* in, uint8_t* out, int planes, int count) {
    ActivePaths().row8(in, out, planes, count);
}

void TransformRow16(const uint16_t* in, uint16_t* out, int planes, int count) {
    ActivePaths().row16(in, out, planes, count);
}

}  // namespace tavirel
