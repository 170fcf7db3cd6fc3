// CPU the application uses while nobody touches it: on the title screen, then on the music
// screen with no song playing, 60 s each, in its real window with its desktop services (on
// the session bus when there is one) and both packs downloaded. Target: no CPU tick at all.
//   bench_idle [SECONDS]        (default 60)
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchPlatform.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "run/Run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSettleMs = 5000;

// CPU time and wakeups of this process so far, threads that have ended included, to the
// microsecond (getrusage). The ticks of /proc/self/stat are rounded from the same time, so two
// readings a few microseconds of work apart could differ by one.
struct Activity {
    double cpuSeconds = 0;
    long wakeups = 0;
};

Activity activity() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return {double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
            usage.ru_nvcsw};
}

bool tap(const std::string& title) {
    auto window = UIApplication::sharedApplication().delegate()->window();
    auto screen = window ? window->rootViewController() : nullptr;
    return screen && tapButton(screen->view(), title);
}

// Lets the screen settle, then measures over `seconds` and calls `next`. The one wakeup at
// the end is this timer's own.
void measure(const char* where, int seconds, std::function<void()> next) {
    QTimer::singleShot(kSettleMs, [=] {
        const Activity before = activity();
        QTimer::singleShot(seconds * 1000, [=] {
            const Activity after = activity();
            const double cpu = after.cpuSeconds - before.cpuSeconds;
            const long ticks = static_cast<long>(cpu * double(::sysconf(_SC_CLK_TCK)));
            std::printf(
                "idle %s: %ld ticks over %d s (%.3f ms of CPU, %ld wakeups of its "
                "threads, the bench's own timer among them) (target 0 ticks): %s\n",
                where, ticks, seconds, cpu * 1000, after.wakeups - before.wakeups,
                ticks == 0 ? "met" : "MISSED");
            std::fflush(stdout);
            next();
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LARKSPIRE_DATA_DIR", BENCH_DATA, 0);
    // The window state and the pack cache go to a scratch folder, not the user's.
    const fs::path scratch =
        fs::temp_directory_path() / ("larkspire-bench-idle-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    ::setenv("XDG_STATE_HOME", (scratch / "state").c_str(), 1);
    ::setenv("LARKSPIRE_CACHE_DIR", (scratch / "cache").c_str(), 1);
    // Both packs on the machine, as a family has them: the music screen then only waits.
    const std::string download =
        std::string(BENCH_APPLICATION) + " --download-packs >/dev/null 2>&1";
    if (std::system(download.c_str()) != 0) {
        std::fputs("could not download the packs into the scratch cache\n", stderr);
        return 2;
    }
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::printf("platform: %s; session bus: %s; %ld ticks a second\n",
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "the desktop's",
                bus && *bus ? "yes" : "none", ::sysconf(_SC_CLK_TCK));

    RunOptions options = defaultRunOptions();
    options.settingsPath = (scratch / "settings.json").string();
    options.buildVersion = "bench";
    options.mode = RunOptions::Mode::window;
    int status = 0;
    options.firstScreenShown = [&] {
        measure("on the title screen", seconds, [&] {
            if (!tap("Songs of the Story")) {
                std::fputs("the title screen has no button for the songs\n", stderr);
                status = 2;
                QCoreApplication::quit();
                return;
            }
            measure("on the music screen, no song playing", seconds,
                    [] { QCoreApplication::quit(); });
        });
    };
    const int ran = runApplication(1, argv, options);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return status ? status : ran;
}
