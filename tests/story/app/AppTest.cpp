// The application as a whole: launches and their count and review request, runs of the real
// program (a damaged settings file, a writer killed at random moments), and a long session.
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "Process.h"
#include "SimFixture.h"
#include "TempDirectory.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIView.h"
#include "story/app/AppDelegate.h"
#include "story/app/UserDefaultsKeys.h"

namespace fs = std::filesystem;

namespace {

long long countIn(const fs::path& settings) {
    std::ifstream in(settings);
    return nlohmann::json::parse(in).value("numberOfTimesLaunched", 0LL);
}

std::size_t openFileDescriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

}  // namespace

class LaunchTest : public SimFixture {
protected:
    // One launch of a new process over the same settings file.
    void launchAgain() {
        restart();
        launchApplication();
    }
    long long storedCount() {
        return NSUserDefaults::standardUserDefaults()->integerForKey(kNumberOfTimesLaunchedKey);
    }
};

TEST_F(LaunchTest, EachLaunchCountsOnceHoldsThreeSecondsThenShowsTheFirstScreen) {
    launchApplication();
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(sim->sleeps(), std::vector<double>{3.0});
    EXPECT_EQ(sim->launchScreenShownAt(), 0.0);
    EXPECT_GE(sim->rootShownAt().value_or(-1), 3.0);
    appDelegate->parentalGateEnabled = false;
    for (int launch = 2; launch <= 10; ++launch)
        launchAgain();
    EXPECT_EQ(storedCount(), 10);
    EXPECT_TRUE(appDelegate->parentalGateEnabled) << "a new run raises the gate again";
}

// Each history starts from fresh settings; every launch is a new process of that version.
TEST_F(LaunchTest, TheReviewIsAskedOnTheFourthLaunchThenOncePerVersion) {
    struct Launch {
        const char* version;
        int asks;
        const char* stored;  // the version recorded afterwards, or none
    };
    const std::vector<std::vector<Launch>> histories = {
        {{"1.0", 0, nullptr},
         {"1.0", 0, nullptr},
         {"1.0", 0, nullptr},
         {"1.0", 1, "1.0"},
         {"1.0", 0, "1.0"},
         {"1.1", 1, "1.1"},
         {"1.1", 0, "1.1"},
         {"1.0", 1, "1.0"}},
        {{"1.0", 0, nullptr}, {"1.0", 0, nullptr}, {"2.0", 0, nullptr}, {"2.0", 1, "2.0"}},
        {{"", 0, nullptr}, {"", 0, nullptr}, {"", 0, nullptr}, {"", 0, nullptr}, {"", 0, nullptr}},
    };
    for (std::size_t h = 0; h < histories.size(); ++h) {
        std::filesystem::remove(scratch / "config" / "settings.json");
        for (std::size_t i = 0; i < histories[h].size(); ++i) {
            const auto& launch = histories[h][i];
            SCOPED_TRACE("history " + std::to_string(h) + ", launch " + std::to_string(i + 1));
            buildVersion = launch.version;
            launchAgain();
            EXPECT_EQ(sim->reviewRequestCount(), launch.asks);
            EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey(kLastVersionKey),
                      launch.stored ? std::optional<std::string>(launch.stored) : std::nullopt);
        }
    }
}

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

class LongSessionTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        addBundledFile("LKSChapter13.mp4");
        addSamplePackFile("Audio", "packs/Audio/Mend the Sky.mp3");
        addSamplePackFile("Audio", "packs/Audio/Someday.mp3");
        resources->install("Video");
        resources->install("Audio");
        title = showScreen("title");
    }

    void tap(const std::string& button) {
        ASSERT_TRUE(tapButton(button)) << button;
        sim->runUntilIdle();
    }

    // One round of everything a reader does: each screen loaded, a chapter
    // played to its end, a gate prompt cancelled, a track started and stopped.
    void round(int i) {
        tap("chaptersButton");
        tap("chapter13");
        ASSERT_TRUE(sim->finishVideo());
        sim->runUntilIdle();
        tap("facebook");
        ASSERT_TRUE(sim->chooseAlertAction("Cancel"));
        sim->runUntilIdle();
        tap("back");

        tap("musicButton");
        tap(i % 2 == 0 ? "tag:0" : "tag:4");
        sim->fastForwardBy(1.0);
        tap("stop");
        tap("tag:" + std::to_string(i % 7));  // some of these are not in the pack: busy alert
        ASSERT_TRUE(!sim->visibleAlert() || sim->chooseAlertAction("OK"));
        sim->runUntilIdle();
        tap("back");

        for (const char* screen : {"documentaryButton", "lotsMoreButton", "theEndButton"}) {
            tap(screen);
            tap("back");
        }
        ASSERT_EQ(sim->topViewController(), title);
        sim->clearRecords();
        takeLog();
    }

    std::shared_ptr<UIViewController> title;
};

TEST_F(LongSessionTest, TenThousandRoundsLeaveNothingBehind) {
    for (int i = 0; i < 50; ++i)
        ASSERT_NO_FATAL_FAILURE(round(i));
    const std::size_t controllers = UIViewController::liveCount();
    const std::size_t descriptors = openFileDescriptors();
    [[maybe_unused]] const std::size_t heap = ::mallinfo2().uordblks;

    for (int i = 50; i < 10000; ++i)
        ASSERT_NO_FATAL_FAILURE(round(i));

    EXPECT_EQ(UIViewController::liveCount(), controllers);
    EXPECT_EQ(NSTimer::validTimerCount(), 0u);
    EXPECT_EQ(sim->scheduledTimerCount(), 0u);
    EXPECT_EQ(sim->pendingBlockCount(), 0u);
    EXPECT_EQ(NSNotificationCenter::defaultCenter().observerCount(), 0u);
    EXPECT_EQ(AVPlayer::liveCount(), 0u);
    EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
    EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
    EXPECT_EQ(openFileDescriptors(), descriptors);
#if !defined(__SANITIZE_ADDRESS__)
    // A leak of even one small object per round would add far more than this.
    EXPECT_LT(::mallinfo2().uordblks, heap + 64 * 1024) << "heap in use grew from " << heap;
#endif
    EXPECT_GE(resources->requestCount(), 3u * 10000u);
}
