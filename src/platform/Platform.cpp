#include "platform/Platform.h"

#include <stdexcept>
#include <thread>

#include "platform/PlatformBackend.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/ui/UIApplication.h"

namespace {

PlatformEnvironment gEnvironment;
bool gInstalled = false;

}  // namespace

namespace Platform {

void install(PlatformEnvironment environment) {
    gEnvironment = std::move(environment);
    gInstalled = true;
}

void uninstall() {
    // The delegate holds its window, the window its screens, and screens hold
    // the delegate: letting go of the window ends that cycle with the run.
    if (const auto& delegate = UIApplication::sharedApplication().delegate())
        delegate->setWindow(nullptr);
    UIApplication::resetSharedApplication();
    NSNotificationCenter::defaultCenter().removeAllObservers();
    gEnvironment = {};
    gInstalled = false;
}

bool installed() {
    return gInstalled;
}

PlatformEnvironment& environment() {
    if (!gInstalled)
        throw std::logic_error("the platform is not installed");
    return gEnvironment;
}

PlatformBackend& backend() {
    return *environment().backend;
}

}  // namespace Platform
