#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "app/ApplicationClasses.h"
#include "app/UserDefaultsKeys.h"
#include "platform/NSBundle.h"
#include "platform/NSStringFromClass.h"
#include "platform/NSUserDefaults.h"
#include "platform/Platform.h"
#include "platform/Storyboard.h"
#include "platform/UIApplication.h"
#include "platform/sim/SimBackend.h"
#include "platform/sim/SimResourceService.h"

namespace {

struct Options {
    std::string settingsPath = NSUserDefaults::defaultPath();
    std::string interfaceDirectory = LARKSPIRE_UI_DIR;
    std::string bundleDirectory = LARKSPIRE_BUNDLE_DIR;
};

void usage(std::ostream& out) {
    out << "usage: larkspire [--settings FILE] [--ui DIR] [--bundle DIR]\n"
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
        } else if (arg == "--settings") {
            if (!value(options.settingsPath))
                return false;
        } else if (arg == "--ui") {
            if (!value(options.interfaceDirectory))
                return false;
        } else if (arg == "--bundle") {
            if (!value(options.bundleDirectory))
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
    std::cout << "[sim] launch reported " << (sim.launchResult().value_or(false) ? "success" : "failure")
              << "\n";
    std::cout << "[sim] review prompts requested: " << sim.reviewRequestCount() << "\n";
    if (auto root = sim.rootViewController())
        std::cout << "[sim] first screen: " << root->identifier() << " (" << root->className()
                  << ")\n";
    auto defaults = NSUserDefaults::standardUserDefaults();
    std::cout << "[sim] settings " << options.settingsPath << ": " << kNumberOfTimesLaunchedKey
              << " = " << defaults->integerForKey(kNumberOfTimesLaunchedKey) << ", "
              << kLastVersionKey << " = " << defaults->stringForKey(kLastVersionKey).value_or("(none)")
              << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options))
        return 2;
    registerApplicationClasses();

    auto sim = std::make_shared<SimBackend>();
    PlatformEnvironment environment;
    environment.backend = sim;
    environment.resources = std::make_shared<SimResourceService>(
        (std::filesystem::temp_directory_path() / "larkspire-sim").string());
    environment.mainBundle = std::make_shared<NSBundle>(
        options.bundleDirectory,
        std::map<std::string, NSPropertyListValue>{{kCFBundleVersionKey, LARKSPIRE_BUILD_VERSION}});
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
