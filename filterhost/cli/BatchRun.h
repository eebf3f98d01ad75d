// filterhost run PLUGIN (--prm FILE | --parameters FILE) --out-dir DIR
// IN.png...: many files through one plug-in in one process.
#pragma once

#include "../lib/FilterSession.h"
#include "../lib/PngFile.h"
#include "HostOptionsParser.h"

namespace filterhost {

// The batch form of `filterhost run`, once its arguments are parsed and the
// host options applied; returns the exit status.
// playback: the --play descriptor's bytes, empty without one.
int RunBatchCommand(const Arguments& args, const HostOptions& options, PngCompression compression,
                    const std::vector<uint8_t>& playback);

}  // namespace filterhost
