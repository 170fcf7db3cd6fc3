#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "TempDirectory.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

pid_t launch(const fs::path& settings) {
    pid_t child = ::fork();
    if (child == 0) {
        int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execl(LARKSPIRE_BINARY, LARKSPIRE_BINARY, "--headless", "--settings", settings.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

int waitFor(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// The stored count, or nullopt when no launch has written the file yet.
std::optional<long long> storedCount(const fs::path& settings) {
    if (!fs::exists(settings))
        return std::nullopt;
    std::ifstream in(settings);
    return nlohmann::json::parse(in).at("numberOfTimesLaunched").get<long long>();
}

}  // namespace

// A thousand launches, each killed at a random moment of its run: the file
// always parses, and the count only ever moves by the launch in flight.
TEST(KillStormTest, AThousandKilledLaunchesNeverCorruptOrRewindTheCount) {
    TempDirectory root;
    fs::path settings = root / "settings.json";

    // How long one whole launch takes here decides the window for the kills.
    auto started = Clock::now();
    ASSERT_EQ(waitFor(launch(settings)), 0);
    auto oneLaunch = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    ASSERT_EQ(storedCount(settings), 1);

    unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, oneLaunch.count());
    long long last = 1;
    int killedBeforeTheEnd = 0;
    for (int i = 0; i < 1000; ++i) {
        pid_t child = launch(settings);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        int status = waitFor(child);
        killedBeforeTheEnd += WIFSIGNALED(status);
        std::optional<long long> count;
        ASSERT_NO_THROW(count = storedCount(settings)) << "launch " << i << ", seed " << seed;
        ASSERT_TRUE(count);
        ASSERT_GE(*count, last) << "launch " << i << ", seed " << seed;
        ASSERT_LE(*count, last + 1) << "launch " << i << ", seed " << seed;
        last = *count;
    }
    // The storm only proves something if most launches really were cut short.
    EXPECT_GT(killedBeforeTheEnd, 300);
    ASSERT_EQ(waitFor(launch(settings)), 0);
    EXPECT_EQ(storedCount(settings), last + 1);
    for (const auto& entry : fs::directory_iterator(root.path()))
        EXPECT_EQ(entry.path().filename(), "settings.json") << "left behind: " << entry.path();
}
