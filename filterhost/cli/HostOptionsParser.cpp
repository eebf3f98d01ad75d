#include "HostOptionsParser.h"

#include <cstdio>
#include <cstdlib>

#include "HostCoordinates.h"

namespace filterhost {

const std::vector<std::string> kHostValueOptions = {"host-sig", "mode", "planes", "depth",       "fail-advance-at",
                                                    "abort-at", "rect", "window", "host-profile"};
const std::vector<std::string> kHostFlagOptions = {
    "no-advance-state", "no-handle-suite",       "no-padding", "mask", "direct", "no-bar-classes",
    "no-descriptors",   "null-descriptor-procs", "no-windows"};

bool Arguments::Has(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return true;
    return false;
}

std::string Arguments::Value(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return o.second;
    return {};
}

bool ParseArguments(int argc, char** argv, int first, const std::vector<std::string>& valueOptions,
                    const std::vector<std::string>& flagOptions, Arguments* out, std::string* error) {
    auto listed = [](const std::vector<std::string>& list, const std::string& name) {
        for (const auto& l : list)
            if (l == name) return true;
        return false;
    };
    for (int i = first; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) != 0) {
            out->positional.push_back(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (listed(flagOptions, name)) {
            out->options.emplace_back(name, "");
        } else if (listed(valueOptions, name)) {
            if (i + 1 >= argc) {
                *error = "option " + a + " needs a value";
                return false;
            }
            // Which of two values was meant is anyone's guess.
            if (out->Has(name)) {
                *error = "option " + a + " given twice";
                return false;
            }
            out->options.emplace_back(name, argv[++i]);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

namespace {

bool ParseInt(const std::string& text, long* value) {
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && end != nullptr && *end == '\0';
}

}  // namespace

bool ApplyHostOptions(const Arguments& args, HostOptions* o, std::string* error) {
    long v = 0;
    if (args.Has("host-sig")) {
        const std::string s = args.Value("host-sig");
        if (s.size() != 4) {
            *error = "--host-sig takes four characters";
            return false;
        }
        o->hostSig = (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
                     (uint32_t(uint8_t(s[2])) << 8) | uint8_t(s[3]);
    }
    struct Numeric {
        const char* name;
        long low, high;
        void (*apply)(HostOptions*, long);
    };
    const Numeric numerics[] = {
        {"mode", 0, 17, [](HostOptions* h, long x) { h->imageModeOverride = int16(x); }},
        {"planes", 0, 32, [](HostOptions* h, long x) { h->planesOverride = int16(x); }},
        {"depth", 0, 32, [](HostOptions* h, long x) { h->depthOverride = int32(x); }},
        {"abort-at", 1, 1 << 30, [](HostOptions* h, long x) { h->abortAtPoll = int(x); }},
    };
    for (const auto& n : numerics) {
        if (!args.Has(n.name)) continue;
        if (!ParseInt(args.Value(n.name), &v) || v < n.low || v > n.high) {
            *error = std::string("--") + n.name + " takes a number from " + std::to_string(n.low) + " to " +
                     std::to_string(n.high);
            return false;
        }
        n.apply(o, v);
    }
    if (args.Has("fail-advance-at")) {
        const std::string s = args.Value("fail-advance-at");
        const size_t colon = s.find(':');
        long code = userCanceledErr;
        if (!ParseInt(s.substr(0, colon), &v) || v < 1 ||
            (colon != std::string::npos && !ParseInt(s.substr(colon + 1), &code))) {
            *error = "--fail-advance-at takes N or N:CODE";
            return false;
        }
        o->failAdvanceStateAt = int(v);
        o->advanceStateFailure = OSErr(code);
    }
    if (args.Has("rect")) {
        if (!ParseRectArgument(args.Value("rect"), &o->filterRect, error)) return false;
        o->useWholeImage = false;
    }
    if (args.Has("window")) {
        int w, h, x, y;
        if (std::sscanf(args.Value("window").c_str(), "%dx%d+%d+%d", &w, &h, &x, &y) != 4) {
            *error = "--window takes WIDTHxHEIGHT+X+Y";
            return false;
        }
        o->windowWidth = w, o->windowHeight = h, o->windowX = x, o->windowY = y;
    }
    o->provideAdvanceState = !args.Has("no-advance-state");
    o->provideHandleSuite = !args.Has("no-handle-suite");
    o->supportsPadding = !args.Has("no-padding");
    o->haveMask = args.Has("mask");
    o->directBuffers = args.Has("direct");
    o->barClasses = !args.Has("no-bar-classes");
    if (args.Has("host-profile") && !ApplyHostProfile(args.Value("host-profile"), o)) {
        *error = "--host-profile takes one of " + std::string(HostProfileNames()) + ", not \"" +
                 args.Value("host-profile") + "\"";
        return false;
    }
    if (args.Has("no-descriptors") && args.Has("null-descriptor-procs")) {
        *error = "--no-descriptors and --null-descriptor-procs are two different hosts: give one";
        return false;
    }
    if (args.Has("no-descriptors")) o->descriptors = DescriptorSupport::None;
    if (args.Has("null-descriptor-procs")) o->descriptors = DescriptorSupport::NoProcs;
    o->refuseWindows = args.Has("no-windows");
    return true;
}

}  // namespace filterhost
