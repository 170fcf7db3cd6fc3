#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "Process.h"
#include "TempDirectory.h"

namespace fs = std::filesystem;

namespace {

long long countIn(const fs::path& settings) {
    std::ifstream in(settings);
    return nlohmann::json::parse(in).value("numberOfTimesLaunched", 0LL);
}

}  // namespace

TEST(ProcessTest, LaunchesShareTheCountAndADamagedFileIsSetAside) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    std::ofstream(settings) << "{ numberOfTimesLaunched: 7 ";
    const std::string env = "LARKSPIRE_SETTINGS=" + settings.string();
    for (int launch = 1; launch <= 2; ++launch) {
        auto run = runProcess({LARKSPIRE_BINARY, "--headless"}, {env});
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("numberOfTimesLaunched = " + std::to_string(launch)),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("could not be read") != std::string::npos, launch == 1);
    }
    EXPECT_EQ(countIn(settings), 2);
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(root.path()))
        aside += entry.path().filename().string().rfind("settings.json.damaged-", 0) == 0;
    EXPECT_EQ(aside, 1);
}

// The twin of the launch storm at the store itself: a writer killed at any moment leaves a
// file that parses and a count that never goes back.
TEST(ProcessTest, KillingAWriterAtRandomMomentsNeverCorruptsOrLosesTheCount) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, 300000);
    long long last = 0;
    int kills = 0;
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4);
         std::chrono::steady_clock::now() < deadline; ++kills) {
        Process writer({SETTINGS_WRITER_BINARY, settings.string()}, {}, false);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        writer.kill();
        writer.wait();
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
