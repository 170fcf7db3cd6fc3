#include "run/Run.h"

#include "run/HeadlessRun.h"
#include "run/PackCommands.h"
#include "run/QtRun.h"

int runApplication(int argc, char** argv, const RunOptions& options) {
    switch (options.mode) {
        case RunOptions::Mode::packs:
            return runPackCommand(options);
        case RunOptions::Mode::scenario:
            return runScenario(argc, argv, options);
        case RunOptions::Mode::headless:
            return runHeadless(argc, argv, options);
        default:
            return runOnQt(argc, argv, options);
    }
}
