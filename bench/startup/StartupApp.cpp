// The application's real start-up on the Qt backend, in a window, with
// fresh settings (argv[1]). Writes "launch" once the launch screen's first
// frame has been painted and "shown" once the first screen of the main
// interface has, then quits.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "run/QtRun.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_startup_app SETTINGS-FILE\n", stderr);
        return 2;
    }
    // The build's module; the benchmark's folder has no lib/ beside it.
    ::setenv("LARKSPIRE_MEDIA_MODULE", BENCH_MEDIA_MODULE, 0);
    RunOptions options = defaultRunOptions();
    options.settingsPath = argv[1];
    options.buildVersion = "bench";
    options.mode = RunOptions::Mode::window;
    options.launchScreenShown = [] {
        std::puts("launch");
        std::fflush(stdout);
    };
    options.firstScreenShown = [] {
        std::puts("shown");
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    return runOnQt(1, argv, options);
}
