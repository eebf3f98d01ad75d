// filterhost: a filter host on the command line. It loads any .8bf filter
// plug-in and drives it as an image editor would.
#include <cstdio>
#include <cstring>

#include "../lib/WrapperChannel.h"
#include "Commands.h"

namespace {

const char kUsage[] =
    "usage: filterhost COMMAND PLUGIN.8bf [arguments]\n"
    "  info PLUGIN              print the plug-in's property list\n"
    "  about PLUGIN             show the plug-in's about box (see 'about --help')\n"
    "  params PLUGIN            run the Parameters step on a small RGB document\n"
    "  run PLUGIN IN.png OUT.png  filter a PNG image (see 'run --help')\n";

int Dispatch(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "info") == 0) return filterhost::InfoCommand(argc, argv);
    if (std::strcmp(command, "about") == 0) return filterhost::AboutCommand(argc, argv);
    if (std::strcmp(command, "params") == 0) return filterhost::ParametersCommand(argc, argv);
    if (std::strcmp(command, "run") == 0) return filterhost::RunCommand(argc, argv);
    std::fprintf(stderr, "filterhost: unknown command '%s'\n%s", command, kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    filterhost::JoinWrapperDesktop();
    return filterhost::ReportExitStatus(Dispatch(argc, argv));
}
