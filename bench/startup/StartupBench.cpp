// Start-up of the application against a bare Qt window with one label.
//
// Each round starts both programs as new processes, in turn, and times from
// the spawn to the line "shown" that each writes once its first screen is
// painted. The application's launch screen holds for 3.0 s by design; that
// hold is taken off. Without a display both run on Qt's offscreen platform.
//
//   bench_startup [ROUNDS]        (default 10)
//
// Target: median application time less the hold, divided by the median bare
// window time, at most 1.5. The exit status is 1 when the target is missed.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kLaunchHold = 3.0;
constexpr double kTarget = 1.5;

// Seconds from spawning `program` to its line "shown"; none when it fails or takes over 60 s.
std::optional<double> timeToShown(const std::vector<std::string>& command) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    auto start = Clock::now();
    int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return std::nullopt;
    }

    std::optional<double> seconds;
    std::string output;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    while (::poll(&readable, 1, 60000) > 0) {
        char buffer[256];
        ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        output.append(buffer, std::size_t(n));
        if (output.find("shown\n") != std::string::npos) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
    }
    ::close(pipeEnds[0]);
    if (!seconds)
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::printf("platform: %s\n",
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "the desktop's");

    auto scratch = std::filesystem::temp_directory_path() /
                   ("larkspire-bench-startup-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    std::vector<double> bare, app;
    for (int round = 0; round < rounds; ++round) {
        // Fresh settings every time: no review notice, the first launch's work.
        auto settings = scratch / ("settings-" + std::to_string(round) + ".json");
        auto bareTime = timeToShown({BENCH_BARE});
        auto appTime = timeToShown({BENCH_APP, settings.string()});
        if (!bareTime || !appTime) {
            std::fprintf(stderr, "round %d: a program did not show its first screen\n", round);
            std::filesystem::remove_all(scratch);
            return 2;
        }
        bare.push_back(*bareTime);
        app.push_back(*appTime - kLaunchHold);
        std::printf("round %2d: bare %.3f s, application %.3f s (%.3f s less the hold)\n", round,
                    *bareTime, *appTime, *appTime - kLaunchHold);
    }
    std::filesystem::remove_all(scratch);

    double bareMedian = median(bare);
    double appMedian = median(app);
    double ratio = appMedian / bareMedian;
    std::printf("median: bare window %.3f s, application less the hold %.3f s\n", bareMedian,
                appMedian);
    std::printf("ratio %.2f (target at most %.1f): %s\n", ratio, kTarget,
                ratio <= kTarget ? "met" : "missed");
    return ratio <= kTarget ? 0 : 1;
}
