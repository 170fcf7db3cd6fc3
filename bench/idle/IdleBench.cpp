// CPU the application uses while nobody touches it: on the title screen, then on the music
// screen with no song playing, 60 s each, in its real window with its desktop services (on
// the session bus when there is one) and both packs downloaded. Target: no CPU tick at all.
//   bench_idle [SECONDS]        (default 60)
#include <unistd.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/qt/QtViewPeer.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "run/Run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSettleMs = 5000;

// User and system CPU of the whole process, every thread, in clock ticks (/proc/self/stat).
long cpuTicks() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            user = std::stol(field);
        if (index == 15) {
            system = std::stol(field);
            break;
        }
    }
    return user + system;
}

std::shared_ptr<UIButton> findButton(const std::shared_ptr<UIView>& view,
                                     const std::string& title) {
    if (auto button = std::dynamic_pointer_cast<UIButton>(view); button && button->title() == title)
        return button;
    for (const auto& subview : view->subviews()) {
        if (auto found = findButton(subview, title))
            return found;
    }
    return nullptr;
}

bool tap(const std::string& title) {
    auto window = UIApplication::sharedApplication().delegate()->window();
    auto screen = window ? window->rootViewController() : nullptr;
    auto button = screen ? findButton(screen->view(), title) : nullptr;
    auto* peer = button ? dynamic_cast<QtViewPeer*>(button->peer()) : nullptr;
    auto* widget = peer ? dynamic_cast<QPushButton*>(&peer->widget()) : nullptr;
    if (!widget)
        return false;
    widget->click();
    return true;
}

// Lets the screen settle, then counts the ticks over `seconds` and calls `next`.
void measure(const char* where, int seconds, std::function<void()> next) {
    QTimer::singleShot(kSettleMs, [=] {
        const long before = cpuTicks();
        QTimer::singleShot(seconds * 1000, [=] {
            const long ticks = cpuTicks() - before;
            std::printf("idle %s: %ld ticks over %d s (target 0): %s\n", where, ticks, seconds,
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
