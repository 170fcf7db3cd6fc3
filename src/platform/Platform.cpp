#include "platform/Platform.h"

#include <stdexcept>
#include <thread>

#include "platform/PlatformBackend.h"

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
