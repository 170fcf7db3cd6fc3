#pragma once

#include <memory>
#include <string>

class NSBundle;
class NSUserDefaults;
class PlatformBackend;
class ResourceService;

// The services of the running platform. Installed once by the entry point
// (or by a test fixture) on the thread that becomes the main thread.
struct PlatformEnvironment {
    std::shared_ptr<PlatformBackend> backend;
    std::shared_ptr<ResourceService> resources;
    std::shared_ptr<NSBundle> mainBundle;
    std::shared_ptr<NSUserDefaults> userDefaults;
    // The interface descriptions: a folder of screen files and the storyboard index.
    std::string interfaceDirectory;
};

namespace Platform {

void install(PlatformEnvironment environment);
// Drops every service and the shared objects built on them (tests).
void uninstall();
bool installed();
PlatformEnvironment& environment();
PlatformBackend& backend();

}  // namespace Platform
