#pragma once

#include <memory>
#include <string>

class NSBundle;
class NSUserDefaults;
class PackLibrary;
class PlatformBackend;

// The services of the running platform. Installed once by the entry point
// (or by a test fixture) on the thread that becomes the main thread.
struct PlatformEnvironment {
    std::shared_ptr<PlatformBackend> backend;
    // The on-demand packs and their states, over the resource service.
    std::shared_ptr<PackLibrary> packs;
    std::shared_ptr<NSBundle> mainBundle;
    std::shared_ptr<NSUserDefaults> userDefaults;
    // The interface descriptions: a folder of screen files and the storyboard index.
    std::string interfaceDirectory;
};

namespace Platform {

void install(PlatformEnvironment environment);
// Drops every service.
void uninstall();
bool installed();
PlatformEnvironment& environment();
PlatformBackend& backend();

}  // namespace Platform
