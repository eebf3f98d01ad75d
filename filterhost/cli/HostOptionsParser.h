// Command-line options shared by the host's commands.
#pragma once

#include <string>
#include <vector>

#include "../lib/FilterSession.h"

namespace filterhost {

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;  // name without dashes, value ("" for flags)
    bool Has(const std::string& name) const;
    std::string Value(const std::string& name) const;
};

// Options taking a value are listed in valueOptions; false with a message for
// an unknown option, a missing value or a value option given twice.
bool ParseArguments(int argc, char** argv, int first, const std::vector<std::string>& valueOptions,
                    const std::vector<std::string>& flagOptions, Arguments* out, std::string* error);

// --host-sig XXXX, --mode N, --planes N, --depth N, --no-advance-state,
// --no-handle-suite, --fail-advance-at N[:CODE], --abort-at N, --rect L,T,R,B,
// --window WxH+X+Y, --no-padding, --no-descriptors, --null-descriptor-procs,
// --no-windows.
bool ApplyHostOptions(const Arguments& args, HostOptions* options, std::string* error);
extern const std::vector<std::string> kHostValueOptions;
extern const std::vector<std::string> kHostFlagOptions;

}  // namespace filterhost
