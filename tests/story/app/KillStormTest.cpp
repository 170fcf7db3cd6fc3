#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "Process.h"
#include "TempDirectory.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::unique_ptr<Process> launch(const fs::path& settings) {
    return std::make_unique<Process>(
        std::vector<std::string>{LARKSPIRE_BINARY, "--headless", "--settings", settings.string()},
        std::vector<std::string>{}, false);
}

long long storedCount(const fs::path& settings) {
    std::ifstream in(settings);
    return nlohmann::json::parse(in).at("numberOfTimesLaunched").get<long long>();
}

}  // namespace

// A thousand launches, each killed at a random moment of its run: the file always parses,
// and the count only ever moves by the launch in flight.
TEST(KillStormTest, AThousandKilledLaunchesNeverCorruptOrRewindTheCount) {
    TempDirectory root;
    fs::path settings = root / "settings.json";
    // The kills fall anywhere in a typical launch: the median of five whole ones, since the
    // first, from a cold cache, is slower than the rest.
    std::vector<long> launches;
    for (int i = 0; i < 5; ++i) {
        auto started = Clock::now();
        ASSERT_EQ(launch(settings)->wait(), 0);
        launches.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count());
    }
    std::nth_element(launches.begin(), launches.begin() + 2, launches.end());
    unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, launches[2]);
    long long last = 5;
    int killedBeforeTheEnd = 0;
    for (int i = 0; i < 1000; ++i) {
        SCOPED_TRACE("launch " + std::to_string(i) + ", seed " + std::to_string(seed));
        auto child = launch(settings);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        child->kill();
        killedBeforeTheEnd += child->wait() != 0;
        long long count = 0;
        ASSERT_NO_THROW(count = storedCount(settings));
        ASSERT_GE(count, last);
        ASSERT_LE(count, last + 1);
        last = count;
    }
    // The storm only proves something if most launches really were cut short.
    EXPECT_GT(killedBeforeTheEnd, 300);
    ASSERT_EQ(launch(settings)->wait(), 0);
    EXPECT_EQ(storedCount(settings), last + 1);
    for (const auto& entry : fs::directory_iterator(root.path()))
        EXPECT_EQ(entry.path().filename(), "settings.json") << "left behind: " << entry.path();
}
