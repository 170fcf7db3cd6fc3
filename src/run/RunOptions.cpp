#include "run/RunOptions.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>

#include "platform/foundation/NSUserDefaults.h"

namespace {

void usage(std::ostream& out) {
    out << "usage: larkspire [--headless] [--scenario FILE] [--settings FILE] [--ui DIR]\n"
           "                 [--bundle DIR] [--fullscreen] [--content-url URL]\n"
           "                 [--tour] [--tour-script FILE] [--screenshots DIR]\n"
           "  Without a display (no DISPLAY or WAYLAND_DISPLAY) the guided tour runs.\n"
           "  --fullscreen     open the window full screen (F11 toggles)\n"
           "  --content-url URL  where the on-demand packs are served (default: the\n"
           "                   packs of the build, as a file:// URL)\n"
           "  --tour           play the guided tour, with screenshots of every step\n"
           "  --tour-script FILE  the tour to play (default: docs/tour/tour.scenario)\n"
           "  --screenshots DIR   where the tour writes its screenshots (default: a new\n"
           "                   folder in the temporary folder)\n"
           "  --headless       run on the headless backend\n"
           "  --scenario FILE  play a scenario (\"-\" reads it from standard input) on the\n"
           "                   headless backend with fresh settings and on-demand packs;\n"
           "                   exits non-zero when a step fails (see docs/scenarios.md)\n"
           "  --settings FILE  the settings file (default: $LARKSPIRE_SETTINGS or\n"
           "                   $XDG_CONFIG_HOME/larkspire/settings.json)\n"
           "  --ui DIR         the interface descriptions\n"
           "  --bundle DIR     the files installed with the application\n";
}

}  // namespace

RunOptions defaultRunOptions() {
    RunOptions options;
    options.settingsPath = NSUserDefaults::defaultPath();
    options.interfaceDirectory = LARKSPIRE_UI_DIR;
    options.bundleDirectory = LARKSPIRE_BUNDLE_DIR;
    options.packSources = LARKSPIRE_PACK_SOURCES_DIR;
    options.buildVersion = LARKSPIRE_BUILD_VERSION;
    options.contentURL = LARKSPIRE_CONTENT_URL;
    options.tourScript = LARKSPIRE_TOUR_SCRIPT;
    return options;
}

std::optional<RunOptions> parseRunOptions(int argc, char** argv) {
    RunOptions options = defaultRunOptions();
    using Mode = RunOptions::Mode;
    // Options that take a value, and the mode each one implies.
    const std::map<std::string, std::pair<std::string*, std::optional<Mode>>> valued = {
        {"--scenario", {&options.scenario, Mode::scenario}},
        {"--settings", {&options.settingsPath, std::nullopt}},
        {"--ui", {&options.interfaceDirectory, std::nullopt}},
        {"--bundle", {&options.bundleDirectory, std::nullopt}},
        {"--content-url", {&options.contentURL, std::nullopt}},
        {"--tour-script", {&options.tourScript, Mode::tour}},
        {"--screenshots", {&options.screenshots, std::nullopt}},
    };
    // A scripted run is headless, and a headless run plays no tour, whatever the order.
    auto choose = [&options](Mode mode) { options.mode = std::max(options.mode, mode); };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            std::exit(0);
        }
        if (auto found = valued.find(arg); found != valued.end()) {
            if (i + 1 >= argc) {
                std::cerr << "larkspire: " << arg << " needs a value\n";
                return std::nullopt;
            }
            *found->second.first = argv[++i];
            if (found->second.second)
                choose(*found->second.second);
            options.settingsGiven = options.settingsGiven || arg == "--settings";
        } else if (arg == "--headless") {
            choose(Mode::headless);
        } else if (arg == "--tour") {
            choose(Mode::tour);
        } else if (arg == "--fullscreen") {
            options.fullScreen = true;
        } else {
            std::cerr << "larkspire: unknown option " << arg << "\n";
            usage(std::cerr);
            return std::nullopt;
        }
    }
    return options;
}
