#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <thread>

#include "TempDirectory.h"

namespace fs = std::filesystem;

namespace {

struct ProcessRun {
    int status;
    std::string output;
};

// Runs a program with the settings file given in the environment.
ProcessRun run(const std::vector<std::string>& args, const fs::path& settings) {
    std::string command = "LARKSPIRE_SETTINGS='" + settings.string() + "'";
    for (const auto& arg : args)
        command += " '" + arg + "'";
    command += " 2>&1";
    ProcessRun result{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    result.status = ::pclose(pipe);
    return result;
}

long long countIn(const fs::path& settings) {
    std::ifstream in(settings);
    auto json = nlohmann::json::parse(in);
    return json.value("numberOfTimesLaunched", 0LL);
}

// Starts `program file`, lets it run for a random moment, then kills it outright.
void killAtRandomMoment(const std::string& program, const fs::path& settings, std::mt19937& random,
                        int maxMicroseconds) {
    pid_t child = ::fork();
    if (child == 0) {
        ::setenv("LARKSPIRE_SETTINGS", settings.c_str(), 1);
        ::execl(program.c_str(), program.c_str(), settings.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::uniform_int_distribution<int> delay(0, maxMicroseconds);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}

}  // namespace

TEST(ProcessTest, TwoLaunchesAsTwoProcessesShareTheCount) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    for (int launch = 1; launch <= 2; ++launch) {
        ProcessRun result = run({LARKSPIRE_BINARY, "--headless"}, settings);
        ASSERT_EQ(result.status, 0) << result.output;
        EXPECT_NE(result.output.find("numberOfTimesLaunched = " + std::to_string(launch)),
                  std::string::npos)
            << result.output;
    }
    EXPECT_EQ(countIn(settings), 2);
}

TEST(ProcessTest, ADamagedSettingsFileIsSetAsideAndTheLaunchGoesOn) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    std::ofstream(settings) << "{ numberOfTimesLaunched: 7 ";
    ProcessRun result = run({LARKSPIRE_BINARY, "--headless"}, settings);
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("could not be read"), std::string::npos) << result.output;
    EXPECT_EQ(countIn(settings), 1);
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(root.path()))
        aside += entry.path().filename().string().rfind("settings.json.damaged-", 0) == 0;
    EXPECT_EQ(aside, 1);
}

// A writer killed at any moment leaves a file that parses and a count that
// never goes back.
TEST(ProcessTest, KillingAWriterAtRandomMomentsNeverCorruptsOrLosesTheCount) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    std::mt19937 random(std::random_device{}());
    long long last = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    int kills = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        killAtRandomMoment(SETTINGS_WRITER_BINARY, settings, random, 300000);
        ++kills;
        if (!fs::exists(settings))
            continue;
        long long count = 0;
        ASSERT_NO_THROW(count = countIn(settings)) << "after kill " << kills;
        ASSERT_GE(count, last) << "after kill " << kills;
        last = count;
    }
    EXPECT_GT(kills, 10);
    EXPECT_GT(last, 0);
    for (const auto& entry : fs::directory_iterator(root.path()))
        EXPECT_EQ(entry.path().filename().string().find("damaged"), std::string::npos);
}
