#include <cstdio>
#include <cstring>

#include "../lib/FilterSession.h"
#include "../lib/WindowWatch.h"
#include "Commands.h"
#include "HostOptionsParser.h"

namespace filterhost {

// Prints each message box the plug-in showed as "message: CAPTION | TEXT",
// carriage returns shown as "\r".
void PrintMessages(const std::vector<UiEvent>& events, FILE* to) {
    for (const UiEvent& e : events) {
        if (e.kind != "message") continue;
        std::string text;
        for (char c : e.text) text += c == '\r' ? std::string("\\r") : std::string(1, c);
        std::fprintf(to, "message: %s | %s\n", e.caption.c_str(), text.c_str());
    }
}

int ParametersCommand(int argc, char** argv) {
    Arguments args;
    std::string error;
    std::vector<std::string> valueOptions = kHostValueOptions;
    valueOptions.push_back("save-parameters");
    if (!ParseArguments(argc, argv, 2, valueOptions, kHostFlagOptions, &args, &error) || args.positional.size() != 1) {
        if (error.empty()) error = "params takes one plug-in";
        Complain("%s", error.c_str());
        std::fputs(
            "usage: filterhost params PLUGIN.8bf [--host-sig XXXX] [--mode N] [--planes N] [--depth N]\n"
            "                        [--no-advance-state] [--no-handle-suite] [--save-parameters FILE]\n"
            "Runs the Parameters step on a 16 x 16 RGB document and prints the result,\n"
            "every message the plug-in showed, and the parameter handle's size;\n"
            "--save-parameters writes the handle's bytes to FILE.\n",
            stderr);
        return 2;
    }
    HostOptions options;
    if (!ApplyHostOptions(args, &options, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    PluginModule plugin;
    if (!plugin.Load(args.positional[0], &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    Document document;
    document.Allocate(16, 16, 3, 8);
    WindowWatch driver;  // a windowless command: its messages are printed and answered
    driver.AnswerMessageBoxes(true);
    FilterSession session(plugin, document, options);
    const int16 result = session.Call(filterSelectorParameters);
    std::printf("result %d\n", result);
    PrintMessages(driver.Events(), stdout);
    if (session.parameters() != nullptr) {
        const std::vector<uint8_t> bytes = HandleBytes(session.parameters());
        std::printf("parameter handle: %zu bytes\n", bytes.size());
        if (args.Has("save-parameters") && !WriteFileBytes(args.Value("save-parameters"), bytes)) {
            Complain("cannot write %s", args.Value("save-parameters").c_str());
            return 2;
        }
    }
    return result == 0 ? 0 : 1;
}

}  // namespace filterhost
