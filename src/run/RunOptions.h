#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// How the application is run, from its command line and the built-in defaults.
struct RunOptions {
    // automatic: a window when there is a display, else the guided tour.
    enum class Mode { automatic, window, tour, headless, scenario, packs };
    enum class PackCommand { list, download, remove };
    Mode mode = Mode::automatic;
    // The terminal's pack commands (mode packs) and the tags they name.
    PackCommand packCommand = PackCommand::list;
    std::vector<std::string> packTags;
    std::string settingsPath;
    bool settingsGiven = false;
    std::string interfaceDirectory;
    std::string bundleDirectory;
    // The folders of the packs a scripted run installs, one per tag.
    std::string packSources;
    std::string buildVersion;
    // Where the on-demand packs are served: file://, http:// or https://.
    std::string contentURL;
    // The on-demand service's module, loaded at the first request.
    std::string contentModule;
    // The folder of the publisher keys the on-demand packs must be signed with.
    std::string trustedKeys;
    bool fullScreen = false;
    // Leaves the media libraries' own messages on standard error.
    bool mediaDebug = false;
    std::string tourScript;
    // Where the tour writes its screenshots; empty makes a new folder.
    std::string screenshots;
    // The scripted run's scenario; "-" reads standard input.
    std::string scenario;
    // Runs once the first screen of the main interface has been painted (window runs).
    std::function<void()> firstScreenShown;
    // Runs once the launch screen's first frame has been painted (window runs).
    std::function<void()> launchScreenShown;
};

RunOptions defaultRunOptions();
// Reads the command line over the defaults. Prints the usage and exits for
// --help; writes the problem and returns nullopt for a bad option.
std::optional<RunOptions> parseRunOptions(int argc, char** argv);
