#pragma once

#include <filesystem>
#include <memory>
#include <string>

class PlatformBackend;
class ResourceService;
class SimResourceService;

// Everything a running application needs besides its backend's own settings:
// the one place where the platform is put together, for the application, its
// tests and its benchmarks alike.
struct EnvironmentParts {
    std::shared_ptr<PlatformBackend> backend;
    std::shared_ptr<ResourceService> resources;
    // The files installed with the application, and the build version of its
    // information (empty leaves the version out).
    std::filesystem::path bundleDirectory;
    std::string buildVersion;
    std::filesystem::path settingsFile;
    std::filesystem::path interfaceDirectory;
};

// Registers the story's classes and installs the platform's services.
void installEnvironment(const EnvironmentParts& parts);
// Drops the services in an order that lets each finish: the content service's
// workers post their last completions to a backend that is still there.
void uninstallEnvironment();

// Simulated on-demand content kept under `root`, whose packs come from the
// folders of `packSources` (one per tag) when a download is let finish.
std::shared_ptr<SimResourceService> simulatedContent(const std::filesystem::path& root,
                                                     const std::filesystem::path& packSources);
