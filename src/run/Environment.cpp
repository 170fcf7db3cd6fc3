#include "run/Environment.h"

#include <iostream>
#include <map>

#include "backends/sim/SimResourceService.h"
#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/media/PlayingMedia.h"
#include "platform/resources/PackLibrary.h"
#include "platform/ui/UIApplication.h"
#include "run/ApplicationClasses.h"

void installEnvironment(const EnvironmentParts& parts) {
    std::map<std::string, NSPropertyListValue> information;
    if (!parts.buildVersion.empty())
        information[kCFBundleVersionKey] = parts.buildVersion;
    PlatformEnvironment environment;
    environment.backend = parts.backend;
    std::weak_ptr<PlatformBackend> backend = parts.backend;
    // The one pack state of the run: the screens' requests, the panel and the backend's
    // download marks are all handed this one.
    environment.packs = std::make_shared<PackLibrary>(
        parts.resources,
        [backend](std::function<void()> block) {
            if (auto alive = backend.lock())
                alive->postToMainQueue(std::move(block));
        },
        PlayingMedia::anyUnder, std::cerr,
        PackLibrary::AutomaticUpdates{[backend] {
                                          auto alive = backend.lock();
                                          return alive && alive->updatesPacksAutomatically();
                                      },
                                      [backend](bool on) {
                                          if (auto alive = backend.lock())
                                              alive->setUpdatesPacksAutomatically(on);
                                      }});
    registerApplicationClasses(environment.packs);
    environment.mainBundle =
        std::make_shared<NSBundle>(parts.bundleDirectory.string(), std::move(information));
    environment.userDefaults = std::make_shared<NSUserDefaults>(parts.settingsFile.string());
    environment.interfaceDirectory = parts.interfaceDirectory.string();
    Platform::install(environment);
    parts.backend->watchPacks(Platform::environment().packs);
}

void uninstallEnvironment() {
    if (Platform::installed())
        Platform::environment().packs.reset();
    // The delegate holds its window, the window its screens, and screens hold
    // the delegate: letting go of the window ends that cycle with the run.
    if (const auto& delegate = UIApplication::sharedApplication().delegate())
        delegate->setWindow(nullptr);
    UIApplication::resetSharedApplication();
    NSNotificationCenter::defaultCenter().removeAllObservers();
    Platform::uninstall();
    setDebugLogSink(nullptr);
}

std::shared_ptr<SimResourceService> simulatedContent(const std::filesystem::path& root,
                                                     const std::filesystem::path& packSources) {
    auto resources = std::make_shared<SimResourceService>(root.string());
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(packSources, ignored)) {
        if (entry.is_directory())
            resources->setPackSource(entry.path().filename().string(), entry.path().string());
    }
    return resources;
}
