#include <cstdio>
#include <cstring>

#include "../lib/FileChecks.h"
#include "../lib/FilterSession.h"
#include "../lib/WindowWatch.h"
#include "../lib/WrapperChannel.h"
#include "Commands.h"
#include "HostOptionsParser.h"

namespace filterhost {

namespace {

const char kAboutHelp[] =
    "usage: filterhost about PLUGIN.8bf [--screenshot FILE.png] [--answer click|enter|escape|dblclick]\n"
    "                       [--window WIDTHxHEIGHT+X+Y]\n"
    "Shows the plug-in's about box over a host window of the given size, as an editor's\n"
    "Help menu does, until the person closes it (a click on the picture, Enter or Esc).\n"
    "With no display set nobody could close it, so the command is refused (status 2)\n"
    "unless one of these asks for more:\n"
    "  --screenshot FILE.png  saves the box's own pixels once shown (written under a\n"
    "                         temporary name and moved into place), then closes it\n"
    "  --answer HOW           closes the box itself: click (on the picture), enter,\n"
    "                         escape, or dblclick (first the picture's double-click\n"
    "                         notification alone, reporting whether the box stayed open)\n"
    "Both are for pictures and tests; a box that was to be captured and was not fails\n"
    "the command with status 2.\n";

}  // namespace

int AboutCommand(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[2], "--help") == 0) {
        std::fputs(kAboutHelp, stdout);
        return 0;
    }
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, 2, {"screenshot", "answer", "window"}, {}, &args, &error) ||
        args.positional.size() != 1) {
        if (error.empty()) error = "about takes one plug-in";
        Complain("%s", error.c_str());
        std::fputs(kAboutHelp, stderr);
        return 2;
    }
    HostOptions options;
    options.showWindow = true;
    options.windowWidth = 1024, options.windowHeight = 768, options.windowX = 0, options.windowY = 0;
    if (!ApplyHostOptions(args, &options, &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    AboutAnswer answer = args.Has("screenshot") ? AboutAnswer::Escape : AboutAnswer::Leave;
    const std::string how = args.Value("answer");
    if (how == "escape")
        answer = AboutAnswer::Escape;
    else if (how == "click")
        answer = AboutAnswer::Click;
    else if (how == "enter")
        answer = AboutAnswer::Enter;
    else if (how == "dblclick")
        answer = AboutAnswer::DoubleClickThenEscape;
    else if (!how.empty()) {
        Complain("--answer takes click, enter, escape or dblclick");
        return 2;
    }
    if (answer == AboutAnswer::Leave && DisplayIsUnseen()) {
        Complain(
            "about shows the box until a person closes it, and no display is set (DISPLAY is empty): set "
            "DISPLAY, or give --answer or --screenshot");
        return 2;
    }
    if (args.Has("screenshot")) {
        if (const std::string problem = OutputProblem(args.Value("screenshot")); !problem.empty()) {
            Complain("--screenshot: %s", problem.c_str());
            return 2;
        }
    }

    PluginModule plugin;
    if (!plugin.Load(args.positional[0], &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    Document document;
    document.Allocate(16, 16, 3, 8);
    WindowWatch driver;
    driver.SetAboutAnswer(answer);
    if (args.Has("screenshot")) driver.SetScreenshotPath(args.Value("screenshot"));
    FilterSession session(plugin, document, options);
    const int16 result = session.RunAbout();

    RECT owner;
    GetWindowRect(session.window(), &owner);
    POINT origin{0, 0};
    ClientToScreen(session.window(), &origin);
    std::printf("result %d\n", result);
    std::printf("host window %ldx%ld at %ld,%ld, client origin %ld,%ld\n", owner.right - owner.left,
                owner.bottom - owner.top, owner.left, owner.top, origin.x, origin.y);
    bool seen = false;
    std::string notCaptured = args.Has("screenshot") ? "no about box appeared" : "";
    for (const UiEvent& e : driver.Events()) {
        if (e.kind != "about") continue;
        seen = true;
        if (args.Has("screenshot")) notCaptured = e.text == "captured" ? "" : e.text;
        std::printf("about box at %ld,%ld size %ldx%ld\n", e.rect.left, e.rect.top, e.rect.right - e.rect.left,
                    e.rect.bottom - e.rect.top);
        if (answer == AboutAnswer::DoubleClickThenEscape)
            std::printf("after the double-click notification alone: %s\n",
                        e.survivedDoubleClick ? "still open" : "closed");
    }
    if (!seen) std::printf("no about box appeared\n");
    const std::string leaks = session.LeakReport();
    if (!leaks.empty()) std::printf("leaks: %s\n", leaks.c_str());
    if (!notCaptured.empty()) {
        Complain("the screenshot %s was not taken: %s", args.Value("screenshot").c_str(), notCaptured.c_str());
        return 2;
    }
    return result == 0 && seen ? 0 : 1;
}

}  // namespace filterhost
