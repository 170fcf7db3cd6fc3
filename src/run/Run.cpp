#include "run/Run.h"

#include <cstdlib>

int runApplication(int argc, char** argv, const RunOptions& options) {
    switch (options.mode) {
        case RunOptions::Mode::scenario:
            return runScenario(argc, argv, options);
        case RunOptions::Mode::headless:
            return runHeadless(argc, argv, options);
        default:
            return runOnQt(argc, argv, options);
    }
}

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}
