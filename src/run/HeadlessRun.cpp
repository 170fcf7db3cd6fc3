#include <fstream>
#include <iostream>

#include "backends/sim/SimBackend.h"
#include "backends/sim/SimResourceService.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/ui/UIViewController.h"
#include "run/Environment.h"
#include "run/HeadlessRun.h"
#include "run/Launch.h"
#include "run/ScratchFolder.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/SimScenarioDriver.h"
#include "story/app/UserDefaultsKeys.h"

namespace fs = std::filesystem;

namespace {

// What the headless backend did, since it has no screen to show it on.
void reportHeadlessRun(const SimBackend& sim, const RunOptions& options) {
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

bool playScenario(int argc, char** argv, const RunOptions& options, SimBackend& sim,
                  SimResourceService& resources) {
    std::ifstream file;
    std::istream* script = &std::cin;
    if (options.scenario != "-") {
        file.open(options.scenario);
        script = &file;
    }
    if (!*script) {
        std::cerr << "larkspire: cannot read " << options.scenario << "\n";
        return false;
    }
    int status = 0;
    SimScenarioDriver driver(
        sim, resources, [&] { status = launchApplication(argc, argv); }, std::cout);
    ScenarioEngine engine(driver, std::cout, std::cerr);
    setDebugLogSink([&engine](const std::string& line) {
        std::cout << line << "\n";
        engine.logLine(line);
    });
    if (!engine.load(*script, options.scenario))
        return false;
    engine.start();
    return engine.passed() && status == 0;
}

}  // namespace

int runHeadless(int argc, char** argv, const RunOptions& options) {
    auto sim = std::make_shared<SimBackend>();
    installEnvironment({sim,
                        std::make_shared<SimResourceService>(
                            (fs::temp_directory_path() / "larkspire-sim").string()),
                        options.bundleDirectory, options.buildVersion, options.settingsPath,
                        options.interfaceDirectory});
    int status = launchApplication(argc, argv);
    if (status == 0)
        reportHeadlessRun(*sim, options);
    uninstallEnvironment();
    return status;
}

// A scripted run starts as on a machine that never ran the application: its own
// settings (unless given) and an on-demand store that holds no pack, filled from the pack sources
// when a scenario lets a download finish. Both go afterwards, so every run of a scenario sees the
// same start.
int runScenario(int argc, char** argv, const RunOptions& options) {
    auto folder = ScratchFolder::make("larkspire-scenario");
    if (!folder)
        return 1;
    ScratchFolder scratch(*folder);
    auto sim = std::make_shared<SimBackend>();
    auto resources = simulatedContent(scratch.path() / "ondemand", options.packSources);
    installEnvironment(
        {sim, resources, options.bundleDirectory, options.buildVersion,
         options.settingsGiven ? fs::path(options.settingsPath) : scratch.path() / "settings.json",
         options.interfaceDirectory});
    bool passed = playScenario(argc, argv, options, *sim, *resources);
    uninstallEnvironment();
    return passed ? 0 : 1;
}
