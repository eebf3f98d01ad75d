// host_run_benchmark: a whole filter run through our host on a 4096 x 4096
// document against the engine alone on the same pixels, in one process, at 8
// and 16 bits, with guarded tile copies and with direct tile pointers; then the whole command line on a 4096 x 4096
// PNG, file I/O included. Runs under Wine; prints MPix/s and ratios. With --inputs FOLDER it only writes the command
// line's input files there.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "BenchDocument.h"
#include "BenchImages.h"
#include "filterhost/lib/Document.h"
#include "filterhost/lib/FilterSession.h"
#include "filterhost/lib/HostHandles.h"
#include "filterhost/lib/PngFile.h"
#include "tests/support/WindowsVersion.h"
#include "plugin/engine/HueTransform.h"
#include "plugin/engine/TransformTables.h"
#include "plugin/filter/FilterParameters.h"

namespace {

using namespace tavirel;
using namespace tavirel::bench;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

std::vector<uint8_t> SettingsHandleBytes() {
    ParameterRecord record;
    std::memset(&record, 0, sizeof record);
    WriteRecordHeader(&record);
    SetDefaultParameters(&record.parameters);
    record.parameters.showDialog = 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + sizeof record);
}

// The best of three runs of each, seconds.
bool Compare(filterhost::PluginModule& plugin, int depth, bool direct) {
    const filterhost::Document original = MakeDocument(depth);
    double hostBest = 1e9, engineBest = 1e9;
    uint64_t hostSum = 0, engineSum = 0;
    for (int round = 0; round < 3; ++round) {
        filterhost::HostOptions options;
        options.directBuffers = direct;
        filterhost::FilterSession session(plugin, original, options);
        session.SetParameters(filterhost::NewHandleWithBytes(SettingsHandleBytes()));
        const double start = Seconds();
        const int16 result = session.RunRepeatFlow();
        const double host = Seconds() - start;
        if (result != 0) {
            std::printf("host run failed with %d\n", result);
            return false;
        }
        hostBest = host < hostBest ? host : hostBest;
        hostSum = filterhost::DocumentChecksum(session.document());

        filterhost::Document engine = original;
        SetDefaultParameters(&currentParameters);
        const double engineStart = Seconds();
        BuildTransformTables();
        if (depth == 16) {
            uint16_t* p = reinterpret_cast<uint16_t*>(engine.data.data());
            TransformRow16(p, p, 3, int(kPixels));
        } else {
            TransformRow8(engine.data.data(), engine.data.data(), 3, int(kPixels));
        }
        const double alone = Seconds() - engineStart;
        engineBest = alone < engineBest ? alone : engineBest;
        engineSum = filterhost::DocumentChecksum(engine);
    }
    const double mpix = double(kPixels) / 1e6;
    std::printf("%2d-bit %-8s host %7.1f MPix/s  engine %7.1f MPix/s  host/engine time %.3f  %s\n", depth,
                direct ? "direct" : "guarded", mpix / hostBest, mpix / engineBest, hostBest / engineBest,
                hostSum == engineSum ? "same pixels" : "PIXELS DIFFER");
    return hostSum == engineSum;
}

// The benchmark's image as a PNG and the default settings as a parameter file.
bool WriteCommandLineInputs(int depth, const std::string& in, const std::string& prm) {
    filterhost::PngImage png;
    png.width = png.height = kSide;
    png.channels = 3;
    png.bits = depth;
    const filterhost::Document document = MakeDocument(depth);
    png.samples.resize(kPixels * 3);
    for (size_t i = 0; i < png.samples.size(); ++i) {
        const uint32_t v = depth == 16 ? reinterpret_cast<const uint16_t*>(document.data.data())[i] : document.data[i];
        png.samples[i] = uint16_t(depth == 16 ? (v * 65535 + 16384) / 32768 : v);
    }
    std::string error;
    if (!filterhost::WritePng(in, png, &error)) {
        std::printf("cannot write %s: %s\n", in.c_str(), error.c_str());
        return false;
    }
    FILE* f = std::fopen(prm.c_str(), "wb");
    if (f == nullptr) {
        std::printf("cannot write %s\n", prm.c_str());
        return false;
    }
    // The default settings as a file record: the header and seven numbers, big-endian.
    const unsigned char head[28] = {'T', 'v', 'r', '1', 'P', 'r', 'm', 's', 0, 0, 0, 1, 's', 't',
                                    'd', ' ', 0,   0,   0,   201, 0,   0,   0, 0, 0, 0, 0,   0};
    unsigned char record[312] = {};
    std::memcpy(record, head, sizeof head);
    const int32_t numbers[7] = {0, 1000, 1000, 1800, 500, 500, 500};
    for (int i = 0; i < 7; ++i)
        for (int b = 0; b < 4; ++b) record[284 + 4 * i + b] = uint8_t(uint32_t(numbers[i]) >> (24 - 8 * b));
    std::fwrite(record, 1, sizeof record, f);
    return std::fclose(f) == 0;
}

bool TimeCommandLine(int depth) {
    const std::string folder = filterhost::ProgramFolder();
    const std::string in = folder + "bench-in.png", out = folder + "bench-out.png", prm = folder + "bench.prm";
    if (!WriteCommandLineInputs(depth, in, prm)) return false;
    std::string output;
    const std::string command = "\"" + folder + "filterhost.exe\" run \"" + folder + TAVIREL_PRODUCT_NAME "\" \"" + in +
                                "\" \"" + out + "\" --quiet --prm \"" + prm + "\"";
    const double start = Seconds();
    const int status = filterhost::RunCapturingOutput(command, &output);
    const double seconds = Seconds() - start;
    std::printf("%2d-bit  whole command on a %dx%d PNG: %.2f s (status %d)\n", depth, kSide, kSide, seconds, status);
    DeleteFileA(in.c_str());
    DeleteFileA(out.c_str());
    DeleteFileA(prm.c_str());
    return status == 0;
}

}  // namespace

int main(int argc, char** argv) {
    // --inputs FOLDER: only the 8-bit image and the settings, as FOLDER/bench-in.png
    // and FOLDER/bench.prm, for timing the command line from outside (bench/progress-bar.sh).
    if (argc == 3 && std::strcmp(argv[1], "--inputs") == 0) {
        const std::string folder = std::string(argv[2]) + "/";
        return WriteCommandLineInputs(8, folder + "bench-in.png", folder + "bench.prm") ? 0 : 1;
    }
    filterhost::PluginModule plugin;
    std::string error;
    if (!plugin.Load(filterhost::ProgramFolder() + TAVIREL_PRODUCT_NAME, &error)) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    bool ok = true;
    for (bool direct : {false, true})
        for (int depth : {8, 16}) ok = Compare(plugin, depth, direct) && ok;
    ok = TimeCommandLine(8) && ok;
    ok = TimeCommandLine(16) && ok;
    return ok ? 0 : 1;
}
