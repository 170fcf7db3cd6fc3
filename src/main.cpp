#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <stdlib.h>

#include "app/AppDelegate.h"
#include "app/ApplicationClasses.h"
#include "app/UserDefaultsKeys.h"
#include "platform/NSBundle.h"
#include "platform/NSStringFromClass.h"
#include "platform/NSUserDefaults.h"
#include "platform/Platform.h"
#include "platform/Storyboard.h"
#include "platform/UIApplication.h"
#include "platform/qt/run/QtRun.h"
#include "platform/sim/SimBackend.h"
#include "platform/sim/SimResourceService.h"
#include "scenario/ScenarioRunner.h"

namespace {

struct Options {
    std::string settingsPath = NSUserDefaults::defaultPath();
    bool settingsGiven = false;
    std::string interfaceDirectory = LARKSPIRE_UI_DIR;
    std::string bundleDirectory = LARKSPIRE_BUNDLE_DIR;
    bool headless = false;
    std::optional<std::string> scenario;
    bool fullScreen = false;
    std::string contentURL = LARKSPIRE_CONTENT_URL;
    bool tour = false;
    std::string tourScript = LARKSPIRE_TOUR_SCRIPT;
    std::string screenshots;
};

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

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& field) {
            if (i + 1 >= argc) {
                std::cerr << "larkspire: " << arg << " needs a value\n";
                return false;
            }
            field = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            std::exit(0);
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--scenario") {
            std::string file;
            if (!value(file))
                return false;
            options.scenario = file;
            options.headless = true;
        } else if (arg == "--settings") {
            if (!value(options.settingsPath))
                return false;
            options.settingsGiven = true;
        } else if (arg == "--ui") {
            if (!value(options.interfaceDirectory))
                return false;
        } else if (arg == "--bundle") {
            if (!value(options.bundleDirectory))
                return false;
        } else if (arg == "--fullscreen") {
            options.fullScreen = true;
        } else if (arg == "--content-url") {
            if (!value(options.contentURL))
                return false;
        } else if (arg == "--tour") {
            options.tour = true;
        } else if (arg == "--tour-script") {
            if (!value(options.tourScript))
                return false;
            options.tour = true;
        } else if (arg == "--screenshots") {
            if (!value(options.screenshots))
                return false;
        } else {
            std::cerr << "larkspire: unknown option " << arg << "\n";
            usage(std::cerr);
            return false;
        }
    }
    return true;
}

// What the headless backend did, since it has no screen to show it on.
void reportHeadlessRun(const SimBackend& sim, const Options& options) {
    std::cout << "[sim] launch screen held for";
    for (double seconds : sim.sleeps())
        std::cout << " " << seconds << " s";
    std::cout << " (virtual time)\n";
    std::cout << "[sim] launch reported "
              << (sim.launchResult().value_or(false) ? "success" : "failure") << "\n";
    std::cout << "[sim] review prompts requested: " << sim.reviewRequestCount() << "\n";
    if (auto root = sim.rootViewController())
        std::cout << "[sim] first screen: " << root->identifier() << " (" << root->className()
                  << ")\n";
    auto defaults = NSUserDefaults::standardUserDefaults();
    std::cout << "[sim] settings " << options.settingsPath << ": " << kNumberOfTimesLaunchedKey
              << " = " << defaults->integerForKey(kNumberOfTimesLaunchedKey) << ", "
              << kLastVersionKey << " = "
              << defaults->stringForKey(kLastVersionKey).value_or("(none)") << "\n";
}

std::shared_ptr<NSBundle> makeMainBundle(const Options& options) {
    return std::make_shared<NSBundle>(
        options.bundleDirectory,
        std::map<std::string, NSPropertyListValue>{{kCFBundleVersionKey, LARKSPIRE_BUILD_VERSION}});
}

// A scripted run starts from a fresh device: its own settings (unless given)
// and an on-demand store that holds no pack, filled from media/packs when a
// scenario lets a download finish. Both are removed afterwards, so every run
// of a scenario sees the same start.
int runScenario(int argc, char** argv, const Options& options) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "larkspire-scenario-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::cerr << "larkspire: cannot make a scratch folder: " << std::strerror(errno) << "\n";
        return 1;
    }
    std::filesystem::path scratch = pattern;

    auto sim = std::make_shared<SimBackend>();
    auto resources = std::make_shared<SimResourceService>((scratch / "ondemand").string());
    for (const char* tag : {"Video", "Audio"})
        resources->setPackSource(tag, std::string(LARKSPIRE_PACK_SOURCES_DIR) + "/" + tag);
    PlatformEnvironment environment;
    environment.backend = sim;
    environment.resources = resources;
    environment.mainBundle = makeMainBundle(options);
    environment.userDefaults = std::make_shared<NSUserDefaults>(
        options.settingsGiven ? options.settingsPath : (scratch / "settings.json").string());
    environment.interfaceDirectory = options.interfaceDirectory;
    Platform::install(environment);

    bool passed = false;
    {
        std::ifstream file;
        std::istream* script = &std::cin;
        if (*options.scenario != "-") {
            file.open(*options.scenario);
            script = &file;
        }
        if (!*script) {
            std::cerr << "larkspire: cannot read " << *options.scenario << "\n";
        } else {
            ScenarioRunner runner(
                *sim, *resources,
                [&] {
                    UIApplicationMain(argc, argv, std::nullopt, NSStringFromClass<AppDelegate>());
                },
                std::cout);
            passed = runner.run(*script, *options.scenario, std::cerr);
        }
    }
    Platform::uninstall();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options))
        return 2;
    registerApplicationClasses();
    if (options.scenario)
        return runScenario(argc, argv, options);
    if (!options.headless) {
        QtRunOptions qt;
        qt.settingsPath = options.settingsPath;
        qt.interfaceDirectory = options.interfaceDirectory;
        qt.bundleDirectory = options.bundleDirectory;
        qt.buildVersion = LARKSPIRE_BUILD_VERSION;
        qt.contentURL = options.contentURL;
        qt.fullScreen = options.fullScreen;
        qt.mode = options.tour ? QtRunOptions::Mode::tour : QtRunOptions::Mode::automatic;
        qt.tourScript = options.tourScript;
        qt.screenshots = options.screenshots;
        return runOnQt(argc, argv, NSStringFromClass<AppDelegate>(), qt);
    }

    auto sim = std::make_shared<SimBackend>();
    PlatformEnvironment environment;
    environment.backend = sim;
    environment.resources = std::make_shared<SimResourceService>(
        (std::filesystem::temp_directory_path() / "larkspire-sim").string());
    environment.mainBundle = makeMainBundle(options);
    environment.userDefaults = std::make_shared<NSUserDefaults>(options.settingsPath);
    environment.interfaceDirectory = options.interfaceDirectory;
    Platform::install(environment);

    int status;
    try {
        status = UIApplicationMain(argc, argv, std::nullopt, NSStringFromClass<AppDelegate>());
    } catch (const InterfaceDescriptionError& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        return 1;
    }
    reportHeadlessRun(*sim, options);
    return status;
}
