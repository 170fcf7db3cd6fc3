// The application's real start-up on the Qt backend, in a window, with
// fresh settings (argv[1]). Writes "shown" once the first screen of the main
// interface has been painted, then quits.
#include <QCoreApplication>
#include <cstdio>

#include "app/AppDelegate.h"
#include "app/ApplicationClasses.h"
#include "platform/NSStringFromClass.h"
#include "platform/qt/run/QtRun.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_startup_app SETTINGS-FILE\n", stderr);
        return 2;
    }
    registerApplicationClasses();
    QtRunOptions options;
    options.settingsPath = argv[1];
    options.interfaceDirectory = LARKSPIRE_UI_DIR;
    options.bundleDirectory = LARKSPIRE_BUNDLE_DIR;
    options.buildVersion = "bench";
    options.contentURL = LARKSPIRE_CONTENT_URL;
    options.mode = QtRunOptions::Mode::window;
    options.firstScreenShown = [] {
        std::puts("shown");
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    return runOnQt(1, argv, NSStringFromClass<AppDelegate>(), options);
}
