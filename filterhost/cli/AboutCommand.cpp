#include <cstdio>
#include <cstring>

#include "../lib/FilterSession.h"
#include "../lib/UiDriver.h"
#include "Commands.h"
#include "HostOptionsParser.h"

namespace filterhost {

namespace {

const char kAboutHelp[] =
    "usage: filterhost about PLUGIN.8bf [--screenshot FILE.png] [--answer click|enter|escape|dblclick]\n"
    "                       [--window WIDTHxHEIGHT+X+Y]\n"
    "Shows the plug-in's about box over a host window of the given size, as a person\n"
    "would see it, then closes it: by a click on the picture, Enter or Esc (the\n"
    "default); 'dblclick' first sends the picture's double-click notification alone\n"
    "and reports whether the box stayed open. --screenshot saves the box's own pixels.\n";

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
    AboutAnswer answer = AboutAnswer::Escape;
    const std::string how = args.Value("answer");
    if (how == "click")
        answer = AboutAnswer::Click;
    else if (how == "enter")
        answer = AboutAnswer::Enter;
    else if (how == "dblclick")
        answer = AboutAnswer::DoubleClickThenEscape;
    else if (!how.empty() && how != "escape") {
        Complain("--answer takes click, enter, escape or dblclick");
        return 2;
    }

    PluginModule plugin;
    if (!plugin.Load(args.positional[0], &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    Document document;
    document.Allocate(16, 16, 3, 8);
    UiDriver driver;
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
    for (const UiEvent& e : driver.Events()) {
        if (e.kind != "about") continue;
        seen = true;
        std::printf("about box at %ld,%ld size %ldx%ld\n", e.rect.left, e.rect.top, e.rect.right - e.rect.left,
                    e.rect.bottom - e.rect.top);
        if (answer == AboutAnswer::DoubleClickThenEscape)
            std::printf("after the double-click notification alone: %s\n",
                        e.survivedDoubleClick ? "still open" : "closed");
    }
    if (!seen) std::printf("no about box appeared\n");
    const std::string leaks = session.LeakReport();
    if (!leaks.empty()) std::printf("leaks: %s\n", leaks.c_str());
    return result == 0 && seen ? 0 : 1;
}

}  // namespace filterhost
