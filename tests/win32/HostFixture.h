// Win32 tests drive the real Tavirel.8bf through our host, both found in the
// test program's own folder.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestRandom.h"
#include "filterhost/lib/Document.h"
#include "filterhost/lib/FilePaths.h"
#include "filterhost/lib/FilterSession.h"
#include "filterhost/lib/HostHandles.h"
#include "filterhost/lib/PluginModule.h"
#include "tests/support/WindowsVersion.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformTables.h"
#include "plugin/filter/FilterParameters.h"

namespace tavirel::test {

inline std::string PluginPath() { return filterhost::ProgramFolder() + TAVIREL_PRODUCT_NAME; }

// Our host's command line: "<folder>filterhost.exe" COMMAND "<plug-in>" ARGUMENTS.
inline std::string HostCommandLine(const std::string& command, const std::string& arguments) {
    std::string line = "\"";
    line += filterhost::ProgramFolder();
    line += "filterhost.exe\" ";
    line += command;
    line += " \"";
    line += PluginPath();
    line += "\" ";
    line += arguments;
    return line;
}

// A folder of the test program's own (created on first use), with a trailing backslash.
inline std::string TestFolder(const std::string& name) {
    const std::string folder = filterhost::ProgramFolder() + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The whole file at a UTF-8 path; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    std::FILE* f = filterhost::OpenFile(path, "rb");
    if (f == nullptr) return bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

// A document of seeded random samples; 16-bit samples on the host scale.
inline filterhost::Document RandomDocument(int width, int height, int planes, int depth, uint64_t seed) {
    filterhost::Document d;
    d.Allocate(width, height, planes, depth);
    d.imageMode = depth == 16 ? 11 : 3;
    TestRandom random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int p = 0; p < planes; ++p) d.SetSample(x, y, p, random.UpTo(depth == 16 ? 32768 : 255));
    return d;
}

// The bytes of a parameter handle holding these settings, with no dialog.
inline std::vector<uint8_t> RecordBytes(const FilterParameters& parameters) {
    ParameterRecord record;
    std::memset(&record, 0, sizeof record);
    WriteRecordHeader(&record);
    record.parameters = parameters;
    record.parameters.showDialog = 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + sizeof record);
}

inline FilterParameters DefaultSettings() {
    FilterParameters p;
    std::memset(&p, 0, sizeof p);
    SetDefaultParameters(&p);
    return p;
}

// The engine on its own: the same settings, every pixel of the document (or
// of `area`). It leaves the engine's tables built for these settings.
inline filterhost::Document EngineResult(const filterhost::Document& original, const FilterParameters& settings,
                                         const Rect* area = nullptr) {
    filterhost::Document result = original;
    currentParameters = settings;
    BuildTransformTables();
    const int top = area ? area->top : 0, bottom = area ? area->bottom : original.height;
    const int left = area ? area->left : 0, right = area ? area->right : original.width;
    for (int y = top; y < bottom; ++y) {
        uint8_t* row = result.Pixel(left, y);
        if (original.depth == 16) {
            uint16_t* wide = reinterpret_cast<uint16_t*>(row);
            TransformRow16(wide, wide, original.planes, right - left);
        } else {
            TransformRow8(row, row, original.planes, right - left);
        }
    }
    return result;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(plugin_.Load(PluginPath(), &error)) << error;
    }
    filterhost::PluginModule plugin_;
};

}  // namespace tavirel::test
