#include "platform/qt/run/QtRun.h"

#include <stdlib.h>
#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "platform/DebugLog.h"
#include "platform/NSBundle.h"
#include "platform/NSUserDefaults.h"
#include "platform/Platform.h"
#include "platform/Storyboard.h"
#include "platform/UIApplication.h"
#include "platform/ondemand/ContentService.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/run/QtTour.h"

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> makeTemporaryFolder(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        std::cerr << "larkspire: cannot make a folder in " << fs::temp_directory_path().string()
                  << ": " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    return fs::path(pattern);
}

std::unique_ptr<QtTour> loadTour(QtBackend& backend, const QtRunOptions& options,
                                 const fs::path& screenshots) {
    std::ifstream script(options.tourScript);
    if (!script) {
        std::cerr << "larkspire: cannot read the tour " << options.tourScript << "\n";
        return nullptr;
    }
    try {
        auto tour = std::make_unique<QtTour>(backend, parseScenario(script), options.tourScript,
                                             screenshots, std::cerr);
        tour->validate();
        return tour;
    } catch (const ScenarioError& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        return nullptr;
    }
}

// A scratch folder that goes when the run ends, however it ends.
struct ScratchFolder {
    fs::path path;
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
};

// Drops the services in an order that lets each finish: the content service's
// workers post their last completions to a backend that is still there.
void uninstallPlatform() {
    Platform::environment().resources.reset();
    Platform::uninstall();
    setDebugLogSink(nullptr);
}

}  // namespace

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

int runOnQt(int argc, char** argv, const std::string& delegateClassName,
            const QtRunOptions& options) {
    bool touring = options.mode == QtRunOptions::Mode::tour ||
                   (options.mode == QtRunOptions::Mode::automatic && !displayAvailable());
    if (!displayAvailable())
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The tour starts from a fresh device: its own settings, platform state and
    // download cache, removed afterwards. Only the screenshots stay.
    ScratchFolder device;
    fs::path screenshots = options.screenshots;
    if (touring) {
        auto scratch = makeTemporaryFolder("larkspire-tour-device");
        if (!scratch)
            return 1;
        device.path = *scratch;
        if (screenshots.empty()) {
            auto folder = makeTemporaryFolder("larkspire-tour");
            if (!folder)
                return 1;
            screenshots = *folder;
        }
        std::error_code error;
        fs::create_directories(screenshots, error);
        if (error) {
            std::cerr << "larkspire: cannot make " << screenshots.string() << ": "
                      << error.message() << "\n";
            return 1;
        }
    }
    fs::path settings = touring ? device.path / "settings.json" : fs::path(options.settingsPath);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Larkspire");

    std::unique_ptr<QtTour> tour;
    QtBackendOptions backendOptions;
    backendOptions.fullScreen = options.fullScreen;
    backendOptions.stateFile = (settings.parent_path() / "platform-state.json").string();
    if (touring) {
        // Screenshots at the stage's own size, whatever the screen.
        backendOptions.windowWidth = 1024;
        backendOptions.windowHeight = 768;
        backendOptions.openURL = [&tour](const std::string& url) { tour->urlOpened(url); };
        backendOptions.launchScreenShown = [&tour] { tour->captureLaunchScreen(); };
    }
    auto backend = std::make_shared<QtBackend>(backendOptions);
    if (options.firstScreenShown)
        backend->setFirstScreenShownHandler(options.firstScreenShown);
    if (touring) {
        tour = loadTour(*backend, options, screenshots);
        if (!tour)
            return 2;
        std::cerr << "Guided tour " << options.tourScript << ": screenshots in "
                  << screenshots.string() << "\n";
        setDebugLogSink([&tour](const std::string& line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            tour->logLine(line);
        });
        backend->setApplicationDriver([&tour] { tour->start(); });
    }

    ContentService::Options content;
    content.baseUrl = options.contentURL;
    if (touring)
        content.cacheDirectory = device.path / "cache";
    PlatformEnvironment environment;
    environment.backend = backend;
    environment.resources = std::make_shared<ContentService>(content);
    environment.mainBundle = std::make_shared<NSBundle>(
        options.bundleDirectory,
        std::map<std::string, NSPropertyListValue>{{kCFBundleVersionKey, options.buildVersion}});
    environment.userDefaults = std::make_shared<NSUserDefaults>(settings.string());
    environment.interfaceDirectory = options.interfaceDirectory;
    Platform::install(environment);

    int status = 0;
    try {
        status = UIApplicationMain(argc, argv, std::nullopt, delegateClassName);
    } catch (const InterfaceDescriptionError& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        status = 1;
    }
    if (tour && status == 0)
        status = tour->status() == 0 ? 0 : 1;
    uninstallPlatform();
    backend.reset();
    return status;
}
