#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A pack command of the terminal: the option that names it, the tags it takes, and its line
// in the usage: the one table that the command line and the usage read. It
// is defined with the commands, in PackCommands.cpp.
struct PackCommand {
    enum class Tags { none, one, any };
    std::string option;
    Tags tags = Tags::none;
    std::string usage;
};
const std::vector<PackCommand>& packCommands();

// How the application is run, from its command line and the built-in defaults.
struct RunOptions {
    // automatic: a window when there is a display, else the guided tour.
    enum class Mode { automatic, window, tour, headless, scenario, packs };
    Mode mode = Mode::automatic;
    // The terminal's pack command (mode packs), by its option (PackCommands.h), and the tags
    // it names.
    std::string packCommand;
    std::vector<std::string> packTags;
    std::string settingsPath;
    bool settingsGiven = false;
    std::string interfaceDirectory;
    std::string translationsDirectory;  // the catalogues of the window's texts
    std::string language;               // the window's language; empty: the desktop's
    std::string bundleDirectory;
    // The folders of the packs a scripted run installs, one per tag.
    std::string packSources;
    std::string buildVersion;
    // Where the on-demand packs are served: file://, http:// or https://.
    std::string contentURL;
    // The certificate authorities an https:// content source's certificate may come from (a
    // PEM file), in place of the system's; empty means the system's.
    std::string contentAuthorities;
    // The on-demand service's module, loaded at the first request.
    std::string contentModule;
    // The module that plays chapters and songs on Qt, loaded once the launch screen is up.
    std::string mediaModule;
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
