#include <gtest/gtest.h>

#include <limits>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "app/UserDefaultsKeys.h"
#include "platform/Platform.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/ui/UIApplication.h"

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
    std::optional<std::string> storedVersion() {
        return NSUserDefaults::standardUserDefaults()->stringForKey(kLastVersionKey);
    }
};

TEST_F(LaunchTest, EachLaunchCountsOnceHoldsThreeSecondsThenShowsTheFirstScreen) {
    launchApplication();
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(sim->sleeps(), std::vector<double>{3.0});
    EXPECT_EQ(sim->launchResult(), true);
    ASSERT_TRUE(sim->rootViewController());
    EXPECT_EQ(sim->launchScreenShownAt(), 0.0);
    ASSERT_TRUE(sim->rootShownAt());
    EXPECT_GE(*sim->rootShownAt(), 3.0);
    appDelegate->parentalGateEnabled = false;
    for (int launch = 2; launch <= 10; ++launch)
        launchAgain();
    EXPECT_EQ(storedCount(), 10);
    EXPECT_TRUE(appDelegate->parentalGateEnabled) << "a new run raises the gate again";

    // The count stays at the largest value instead of wrapping.
    NSUserDefaults::standardUserDefaults()->setInteger(std::numeric_limits<long long>::max() - 1,
                                                       kNumberOfTimesLaunchedKey);
    launchAgain();
    launchAgain();
    EXPECT_EQ(storedCount(), std::numeric_limits<long long>::max());
}

TEST_F(LaunchTest, LaunchOptionsChangeNothing) {
    // The fourth launch, with and without options, from the same settings.
    auto fourthLaunch = [&](const std::map<std::string, std::string>& options) {
        std::filesystem::remove(scratch / "config" / "settings.json");
        restart();
        NSUserDefaults::standardUserDefaults()->setInteger(3, kNumberOfTimesLaunchedKey);
        restart();
        EXPECT_TRUE(appDelegate->applicationDidFinishLaunchingWithOptions(
            UIApplication::sharedApplication(), options));
        return std::make_tuple(storedCount(), storedVersion(), sim->sleeps(),
                               sim->reviewRequestCount());
    };
    auto plain = fourthLaunch({});
    EXPECT_EQ(plain,
              std::make_tuple(4LL, std::optional<std::string>("1.0"), std::vector<double>{3.0}, 1));
    EXPECT_EQ(fourthLaunch({{"UIApplicationLaunchOptionsURLKey", "larkspire://x"}, {"x", "1"}}),
              plain);
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
            EXPECT_EQ(storedVersion(),
                      launch.stored ? std::optional<std::string>(launch.stored) : std::nullopt);
        }
    }
    // A version that is not text asks nothing and records nothing.
    NSUserDefaults::standardUserDefaults()->setInteger(9, kNumberOfTimesLaunchedKey);
    restart();
    Platform::environment().mainBundle = std::make_shared<NSBundle>(
        (scratch / "bundle").string(),
        std::map<std::string, NSPropertyListValue>{{kCFBundleVersionKey, 12LL}});
    launchApplication();
    EXPECT_EQ(sim->reviewRequestCount(), 0);
    EXPECT_FALSE(storedVersion());
    EXPECT_EQ(storedCount(), 10);
}
