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

// "--remove-pack TAG": a pack command with the tags it takes.
std::string synopsis(const PackCommand& command) {
    switch (command.tags) {
        case PackCommand::Tags::one:
            return command.option + " TAG";
        case PackCommand::Tags::any:
            return command.option + " [TAG...]";
        default:
            return command.option;
    }
}

void usage(std::ostream& out) {
    // Laid out as help2man reads it: the manual page is made from this text.
    std::string commands, commandLines;
    for (const auto& command : packCommands()) {
        std::string line = "  " + synopsis(command);
        line += line.size() < 22 ? std::string(22 - line.size(), ' ') : "\n" + std::string(22, ' ');
        commands += (commands.empty() ? "" : " | ") + synopsis(command);
        commandLines += line + command.usage + "\n";
    }
    out << "Usage: larkspire [OPTION]...\n"
           "  or:  larkspire "
        << commands
        << "\n"
           "Plays the chapter videos and songs of the story in a window. Without a display\n"
           "(no DISPLAY or WAYLAND_DISPLAY) the guided tour runs instead. The pack commands\n"
           "use the same cache and content source as the window.\n"
           "\n"
           "Options:\n"
           "  --fullscreen        open the window full screen (F11 toggles)\n"
           "  --content-url URL   where the on-demand packs are served (default:\n"
           "                      $LARKSPIRE_CONTENT_URL, else the packs installed with\n"
           "                      the application, as a file:// URL); packs must be\n"
           "                      signed by a key of the keys folder\n"
           "  --content-ca FILE   the certificate authorities (PEM) an https:// content\n"
           "                      source's certificate may come from, in place of the\n"
           "                      system's (default: $LARKSPIRE_CONTENT_CA)\n"
           "  --language LANG     the window's language (de, es, fr, ar; in a build tree\n"
           "                      also pseudo, every text marked and longer), whatever\n"
           "                      the desktop's\n"
           "  --tour              play the guided tour, with screenshots of every step\n"
           "  --tour-script FILE  the tour to play (default: the installed tour)\n"
           "  --screenshots DIR   where the tour writes its screenshots (default: a new\n"
           "                      folder in the temporary folder)\n"
        << commandLines
        << "  --headless          run on the headless backend\n"
           "  --scenario FILE     play a scenario (\"-\" reads it from standard input) on\n"
           "                      the headless backend with fresh settings and on-demand\n"
           "                      packs; exits non-zero when a step fails (see\n"
           "                      docs/scenarios.md)\n"
           "  --settings FILE     the settings file (default: $LARKSPIRE_SETTINGS, else\n"
           "                      $XDG_CONFIG_HOME/larkspire/settings.json)\n"
           "  --ui DIR            the interface descriptions\n"
           "  --bundle DIR        the files installed with the application\n"
           "  --media-debug       let the media libraries write their own messages\n"
           "  -h, --help          print this help and exit\n"
           "\n"
           "Environment:\n"
           "  LARKSPIRE_CONTENT_URL     where the on-demand packs are served\n"
           "  LARKSPIRE_CONTENT_CA      the certificate authorities of an https:// content\n"
           "                            source, in place of the system's\n"
           "  LARKSPIRE_CACHE_DIR       where downloaded packs are kept (default:\n"
           "                            $XDG_CACHE_HOME/larkspire)\n"
           "  LARKSPIRE_SETTINGS        the settings file\n"
           "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
           "                            the window's language, in this order (English when\n"
           "                            there is no catalogue for it)\n"
           "  XDG_CONFIG_HOME           holds larkspire/settings.json (default: ~/.config)\n"
           "  XDG_CACHE_HOME            holds the larkspire cache (default: ~/.cache)\n"
           "  XDG_STATE_HOME            holds larkspire/window-state.json, where the window\n"
           "                            keeps its size and place (default: ~/.local/state)\n"
           "  LARKSPIRE_DATA_DIR        the data folder (default: ../share/larkspire beside\n"
           "                            the executable); the next six name one part each\n"
           "  LARKSPIRE_UI_DIR          ui/, the interface descriptions\n"
           "  LARKSPIRE_BUNDLE_DIR      bundle/, the bundled videos and their posters\n"
           "  LARKSPIRE_TRANSLATIONS_DIR  translations/, the window's texts in other languages\n"
           "  LARKSPIRE_PACKS_DIR       packs/, the packs served by default\n"
           "  LARKSPIRE_KEYS_DIR        keys/, the public keys a pack must be signed by\n"
           "  LARKSPIRE_TOUR_SCRIPT     tour.scenario, the guided tour\n"
           "  LARKSPIRE_CONTENT_MODULE  the on-demand service, loaded at the first download\n"
           "                            (default: ../lib/larkspire/larkspire-ondemand.so\n"
           "                            beside the executable)\n"
           "  LARKSPIRE_MEDIA_MODULE    what plays chapters and songs in the window, loaded\n"
           "                            while the launch screen shows (default:\n"
           "                            ../lib/larkspire/larkspire-media.so beside the "
           "executable)\n"
           "  QT_LOGGING_RULES          Qt's logging rules; larkspire.desktop.debug=true\n"
           "                            says why the desktop's session bus goes unused\n"
           "The options win over the environment.\n";
}

}  // namespace

RunOptions defaultRunOptions() {
    RunOptions options;
    options.settingsPath = NSUserDefaults::defaultPath();
    DataFolders data = findDataFolders();
    options.interfaceDirectory = data.interfaceDirectory.string();
    options.bundleDirectory = data.bundleDirectory.string();
    options.translationsDirectory = data.translationsDirectory.string();
    options.packSources = data.packsDirectory.string();
    options.buildVersion = LARKSPIRE_BUILD_VERSION;
    options.contentURL = data.contentURL;
    if (const char* authorities = std::getenv("LARKSPIRE_CONTENT_CA"))
        options.contentAuthorities = authorities;
    options.contentModule = data.contentModule.string();
    options.mediaModule = data.mediaModule.string();
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
        {"--content-ca", {&options.contentAuthorities, std::nullopt}},
        {"--tour-script", {&options.tourScript, Mode::tour}},
        {"--screenshots", {&options.screenshots, std::nullopt}},
        {"--language", {&options.language, std::nullopt}},
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
