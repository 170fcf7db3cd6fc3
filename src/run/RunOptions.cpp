#include "run/RunOptions.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>

#include "platform/foundation/NSUserDefaults.h"
#include "run/DataFolders.h"

namespace {

const PackCommand* findPackCommand(const std::string& option) {
    for (const auto& command : packCommands()) {
        if (command.option == option)
            return &command;
    }
    return nullptr;
}

void usage(std::ostream& out) {
    out << "usage: larkspire [--headless] [--scenario FILE] [--settings FILE] [--ui DIR]\n"
           "                 [--bundle DIR] [--fullscreen] [--content-url URL]\n"
           "                 [--tour] [--tour-script FILE] [--screenshots DIR] [--media-debug]\n"
           "       larkspire --list-packs | --download-packs [TAG...] | --remove-pack TAG\n"
           "  Without a display (no DISPLAY or WAYLAND_DISPLAY) the guided tour runs.\n"
           "  --fullscreen     open the window full screen (F11 toggles)\n"
           "  --content-url URL  where the on-demand packs are served (default:\n"
           "                   $LARKSPIRE_CONTENT_URL, else the packs installed with the\n"
           "                   application, as a file:// URL); packs must be signed by a\n"
           "                   key of the keys folder\n"
           "  --tour           play the guided tour, with screenshots of every step\n"
           "  --tour-script FILE  the tour to play (default: the installed tour)\n"
           "  --screenshots DIR   where the tour writes its screenshots (default: a new\n"
           "                   folder in the temporary folder)\n"
           "  --list-packs     print each on-demand pack: tag, state, bytes on disk\n"
           "  --download-packs [TAG...]  download these packs (all when none is named)\n"
           "  --remove-pack TAG  remove one downloaded pack\n"
           "                   (the three use the cache and --content-url as the window does)\n"
           "  --headless       run on the headless backend\n"
           "  --scenario FILE  play a scenario (\"-\" reads it from standard input) on the\n"
           "                   headless backend with fresh settings and on-demand packs;\n"
           "                   exits non-zero when a step fails (see docs/scenarios.md)\n"
           "  --settings FILE  the settings file (default: $LARKSPIRE_SETTINGS or\n"
           "                   $XDG_CONFIG_HOME/larkspire/settings.json)\n"
           "  --ui DIR         the interface descriptions\n"
           "  --bundle DIR     the files installed with the application\n"
           "  --media-debug    let the media libraries write their own messages\n"
           "  Data is read from ../share/larkspire beside the executable, or from\n"
           "  $LARKSPIRE_DATA_DIR; $LARKSPIRE_UI_DIR, $LARKSPIRE_BUNDLE_DIR,\n"
           "  $LARKSPIRE_PACKS_DIR, $LARKSPIRE_KEYS_DIR and $LARKSPIRE_TOUR_SCRIPT name\n"
           "  single parts.\n";
}

}  // namespace

RunOptions defaultRunOptions() {
    RunOptions options;
    options.settingsPath = NSUserDefaults::defaultPath();
    DataFolders data = findDataFolders();
    options.interfaceDirectory = data.interfaceDirectory.string();
    options.bundleDirectory = data.bundleDirectory.string();
    options.packSources = data.packsDirectory.string();
    options.buildVersion = LARKSPIRE_BUILD_VERSION;
    options.contentURL = data.contentURL;
    options.contentModule = data.contentModule.string();
    options.trustedKeys = data.keysDirectory.string();
    options.tourScript = data.tourScript.string();
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
        } else if (auto command = findPackCommand(arg)) {
            choose(Mode::packs);
            options.packCommand = arg;
            // The tags follow, up to the next option.
            while (command->tags != PackCommand::Tags::none && i + 1 < argc &&
                   argv[i + 1][0] != '-')
                options.packTags.push_back(argv[++i]);
            if (command->tags == PackCommand::Tags::one && options.packTags.size() != 1) {
                std::cerr << "larkspire: " << arg << " needs one tag\n";
                return std::nullopt;
            }
        } else if (arg == "--headless") {
            choose(Mode::headless);
        } else if (arg == "--tour") {
            choose(Mode::tour);
        } else if (arg == "--fullscreen") {
            options.fullScreen = true;
        } else if (arg == "--media-debug") {
            options.mediaDebug = true;
        } else {
            std::cerr << "larkspire: unknown option " << arg << "\n";
            usage(std::cerr);
            return std::nullopt;
        }
    }
    return options;
}
