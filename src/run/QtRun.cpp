#include <stdlib.h>
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "backends/qt/QtBackend.h"
#include "backends/qt/QtMediaModule.h"
#include "backends/qt/ThreadsWindDown.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/HomeDirectory.h"
#include "run/Environment.h"
#include "run/Launch.h"
#include "run/LazyContentService.h"
#include "run/QtRun.h"
#include "run/QuietMedia.h"
#include "run/ScratchFolder.h"
#include "scenario/QtScenarioDriver.h"
#include "scenario/ScenarioEngine.h"

namespace fs = std::filesystem;

namespace {

// The tour's own pieces: its scratch folder, its screenshots, the driver and the engine.
struct Tour {
    std::unique_ptr<ScratchFolder> scratch;
    fs::path screenshots;
    std::unique_ptr<QtScenarioDriver> driver;
    std::unique_ptr<ScenarioEngine> engine;
};

// The tour starts as on a machine that never ran the application: its own settings,
// platform state and download cache, in a scratch folder removed afterwards. Only the screenshots
// stay.
bool prepareTour(Tour& tour, const RunOptions& options) {
    auto scratch = ScratchFolder::make("larkspire-tour-state");
    if (!scratch)
        return false;
    tour.scratch = std::make_unique<ScratchFolder>(*scratch);
    tour.screenshots = options.screenshots;
    if (tour.screenshots.empty()) {
        auto folder = ScratchFolder::make("larkspire-tour");
        if (!folder)
            return false;
        tour.screenshots = *folder;
    }
    std::error_code error;
    fs::create_directories(tour.screenshots, error);
    if (error) {
        std::cerr << "larkspire: cannot make " << tour.screenshots.string() << ": "
                  << error.message() << "\n";
        return false;
    }
    return true;
}

bool loadTour(Tour& tour, QtBackend& backend, const RunOptions& options) {
    std::ifstream script(options.tourScript);
    if (!script) {
        std::cerr << "larkspire: cannot read the tour " << options.tourScript << "\n";
        return false;
    }
    tour.driver = std::make_unique<QtScenarioDriver>(backend, tour.screenshots, std::cerr);
    tour.engine = std::make_unique<ScenarioEngine>(*tour.driver, std::cerr, std::cerr);
    if (!tour.engine->load(script, options.tourScript))
        return false;
    std::cerr << "Guided tour " << options.tourScript << ": screenshots in "
              << tour.screenshots.string() << "\n";
    setDebugLogSink([engine = tour.engine.get()](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        engine->logLine(line);
    });
    backend.setApplicationDriver([driver = tour.driver.get()] { driver->start(); });
    return true;
}

// The window's and the player's own state, apart from the settings: $XDG_STATE_HOME/larkspire,
// by default ~/.local/state/larkspire.
std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string folder =
        state && *state == '/' ? std::string(state) : homeDirectory() + "/.local/state";
    return folder + "/larkspire";
}

}  // namespace

static int runInQApplication(int argc, char** argv, const RunOptions& options) {
    bool touring = options.mode == RunOptions::Mode::tour ||
                   (options.mode == RunOptions::Mode::automatic && !displayAvailable());
    if (!displayAvailable())
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Tour tour;
    if (touring && !prepareTour(tour, options))
        return 1;
    fs::path settings =
        touring ? tour.scratch->path() / "settings.json" : fs::path(options.settingsPath);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Larkspire");
    // The window manager matches the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("com.larkspire_stories.larkspire");

    QtBackendOptions backendOptions;
    backendOptions.fullScreen = options.fullScreen;
    backendOptions.interfaceDirectory = options.interfaceDirectory;
    backendOptions.bundleDirectory = options.bundleDirectory;
    backendOptions.translationsDirectory = options.translationsDirectory;
    backendOptions.language = options.language;
    backendOptions.stateFile = (settings.parent_path() / "platform-state.json").string();
    backendOptions.media = [module = options.mediaModule] { return loadQtMedia(module); };
    if (touring) {
        // Screenshots at the stage's own size, whatever the screen.
        backendOptions.windowWidth = 1024;
        backendOptions.windowHeight = 768;
        backendOptions.openURL = [&tour](const std::string& url) {
            std::cerr << "[tour] the desktop would open " << url << "\n";
            tour.engine->urlOpened(url);
        };
        backendOptions.launchScreenShown = [&tour] { tour.driver->captureLaunchScreen(); };
        backendOptions.captionStateFile = (tour.scratch->path() / "captions.json").string();
    }
    if (!touring) {
        // The tour keeps its fixed window and stays off the desktop's bus: it is no player.
        backendOptions.windowStateFile = stateFolder() + "/window-state.json";
        backendOptions.captionStateFile = stateFolder() + "/captions.json";
        backendOptions.updateStateFile = stateFolder() + "/updates.json";
        backendOptions.languageStateFile = stateFolder() + "/language.json";
        backendOptions.desktopServices = true;
        if (options.launchScreenShown)
            backendOptions.launchScreenShown = options.launchScreenShown;
    }
    auto backend = std::make_shared<QtBackend>(backendOptions);
    // Asking for the sound devices starts the media back-end, which the first screen does
    // not need: it is asked once that screen is up.
    backend->setFirstScreenShownHandler([shown = options.firstScreenShown, &backend = *backend] {
        if (shown)
            shown();
        QuietMedia::reportSoundDevice(backend.media());
    });
    if (touring && !loadTour(tour, *backend, options))
        return 2;

    auto content = onDemandContent(
        options, touring ? tour.scratch->path() / "cache" : std::filesystem::path());
    installEnvironment({backend, content, options.bundleDirectory, options.buildVersion, settings,
                        options.interfaceDirectory});

    int status = launchApplication(argc, argv);
    if (tour.engine && status == 0)
        status = tour.engine->passed() ? 0 : 1;
    uninstallEnvironment();
    backend.reset();
    return status;
}

int runOnQt(int argc, char** argv, const RunOptions& options) {
    // Until the media threads are gone: they write as they wind down.
    QuietMedia quiet(!options.mediaDebug);
    int status = runInQApplication(argc, argv, options);
    waitForThreadsToWindDown();
    return status;
}
