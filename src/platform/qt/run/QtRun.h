#pragma once

#include <functional>
#include <string>

struct QtRunOptions {
    // The story's settings file; the platform's own state goes next to it.
    std::string settingsPath;
    std::string interfaceDirectory;
    // The files installed with the application, and the build version of its information.
    std::string bundleDirectory;
    std::string buildVersion;
    // Where the on-demand packs are served: file://, http:// or https://.
    std::string contentURL;
    bool fullScreen = false;
    // automatic: a window when there is a display, else the guided tour.
    enum class Mode { automatic, window, tour };
    Mode mode = Mode::automatic;
    std::string tourScript;
    // Where the tour writes its screenshots; empty makes a new folder.
    std::string screenshots;
    // Runs once the first screen of the main interface has been painted.
    std::function<void()> firstScreenShown;
};

// Whether a window system is there to show a window on.
bool displayAvailable();

// Runs the application on the Qt backend, in a window or through the guided
// tour (which starts from a fresh device each time). Without a display, Qt's
// offscreen platform stands in. Returns the exit status.
int runOnQt(int argc, char** argv, const std::string& delegateClassName,
            const QtRunOptions& options);
