// Engine tests start from the default settings with freshly built tables.
#pragma once
#include <gtest/gtest.h>

#include "plugin/engine/TransformTables.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { Rebuild(); }
    // Defaults, then the caller's changes through `edit`, then a table build.
    template <typename Edit>
    void Rebuild(Edit edit) {
        SetDefaultParameters(&currentParameters);
        edit(currentParameters);
        BuildTransformTables();
    }
    void Rebuild() {
        Rebuild([](FilterParameters&) {});
    }
};

}  // namespace tavirel::test
