// filterhost: a filter host on the command line. It loads any .8bf filter
// plug-in and drives it as an image editor would.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "../lib/RunJournal.h"
#include "../lib/WrapperChannel.h"
#include "Commands.h"
#include "ConsoleText.h"

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
    filterhost::WriteText(stderr, "filterhost: unknown command '" + std::string(command) + "'\n" + kUsage);
    return 2;
}

}  // namespace

// An allocation that fails anywhere in a command ends it here, with status 2
// like any other failure to get what the command needs; the plug-in itself
// never sees the exception (its callbacks catch it).
int main() {
    filterhost::UseBinaryStandardStreams();
    filterhost::JoinWrapperDesktop();
    filterhost::WatchWrapper();
    try {
        // The ANSI argv would turn every character outside the ANSI code page
        // into '?': the wide command line, in UTF-8 from here on.
        std::vector<std::string> arguments = filterhost::Utf8Arguments();
        std::vector<char*> pointers;
        for (std::string& a : arguments) pointers.push_back(a.data());
        pointers.push_back(nullptr);
        return filterhost::ReportExitStatus(Dispatch(int(arguments.size()), pointers.data()));
    } catch (const std::bad_alloc&) {
        std::fputs("filterhost: out of memory (a filter run holds its image twice); nothing written\n", stderr);
        return filterhost::ReportExitStatus(2);
    }
}
