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

TEST_F(LaunchTest, EachLaunchCountsOnceHoldsThreeSecondsAndReportsSuccess) {
    launchApplication();
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(sim->sleeps(), std::vector<double>{3.0});
    EXPECT_EQ(sim->launchResult(), true);
    ASSERT_TRUE(sim->rootViewController());
    for (int launch = 2; launch <= 10; ++launch)
        launchAgain();
    EXPECT_EQ(storedCount(), 10);
}

TEST_F(LaunchTest, TheFirstScreenAppearsOnlyAfterTheHold) {
    launchApplication();
    ASSERT_TRUE(sim->rootViewController());
    EXPECT_EQ(sim->launchScreenShownAt(), 0.0);
    ASSERT_TRUE(sim->rootShownAt());
    EXPECT_GE(*sim->rootShownAt(), 3.0);
}

TEST_F(LaunchTest, LaunchOptionsChangeNothing) {
    auto delegate = std::make_shared<AppDelegate>();
    EXPECT_TRUE(delegate->applicationDidFinishLaunchingWithOptions(
        UIApplication::sharedApplication(),
        {{"UIApplicationLaunchOptionsURLKey", "larkspire://x"}}));
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(sim->sleeps(), std::vector<double>{3.0});
}

TEST_F(LaunchTest, TheGateIsUpAgainAfterARestart) {
    launchApplication();
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
    appDelegate->parentalGateEnabled = false;
    launchAgain();
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
}

TEST_F(LaunchTest, TheCountStaysAtTheLargestValueInsteadOfWrapping) {
    NSUserDefaults::standardUserDefaults()->setInteger(std::numeric_limits<long long>::max() - 1,
                                                       kNumberOfTimesLaunchedKey);
    launchAgain();
    EXPECT_EQ(storedCount(), std::numeric_limits<long long>::max());
    launchAgain();
    EXPECT_EQ(storedCount(), std::numeric_limits<long long>::max());
}

class ReviewPolicyTest : public LaunchTest {
protected:
    // Launches a new process with this build version; returns the prompts it asked for.
    int launchVersion(const std::string& version) {
        buildVersion = version;
        launchAgain();
        return sim->reviewRequestCount();
    }
};

TEST_F(ReviewPolicyTest, AsksOnTheFourthLaunchThenOncePerVersion) {
    for (int launch = 1; launch <= 3; ++launch) {
        EXPECT_EQ(launchVersion("1.0"), 0) << "launch " << launch;
        EXPECT_FALSE(storedVersion());
    }
    EXPECT_EQ(launchVersion("1.0"), 1);
    EXPECT_EQ(storedVersion(), "1.0");
    EXPECT_EQ(launchVersion("1.0"), 0);
    EXPECT_EQ(launchVersion("1.0"), 0);
    EXPECT_EQ(launchVersion("1.1"), 1);
    EXPECT_EQ(storedVersion(), "1.1");
    EXPECT_EQ(launchVersion("1.1"), 0);
    // An older build counts as another version too.
    EXPECT_EQ(launchVersion("1.0"), 1);
    EXPECT_EQ(storedVersion(), "1.0");
}

TEST_F(ReviewPolicyTest, AnUpdateBeforeTheFourthLaunchAsksOnlyAtTheFourth) {
    EXPECT_EQ(launchVersion("1.0"), 0);
    EXPECT_EQ(launchVersion("1.0"), 0);
    EXPECT_EQ(launchVersion("2.0"), 0);
    EXPECT_FALSE(storedVersion());
    EXPECT_EQ(launchVersion("2.0"), 1);
    EXPECT_EQ(storedVersion(), "2.0");
}

TEST_F(ReviewPolicyTest, NoVersionOrANonTextVersionAsksAndWritesNothingEver) {
    for (int launch = 1; launch <= 6; ++launch) {
        EXPECT_EQ(launchVersion(""), 0);
        EXPECT_FALSE(storedVersion());
    }
    EXPECT_EQ(storedCount(), 6);
}

TEST_F(ReviewPolicyTest, ANonTextVersionIsIgnored) {
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

TEST_F(ReviewPolicyTest, TheVersionIsRecordedWhateverThePlatformShows) {
    // The sim platform shows nothing at all; the request alone records the version.
    NSUserDefaults::standardUserDefaults()->setInteger(3, kNumberOfTimesLaunchedKey);
    EXPECT_EQ(launchVersion("3.0"), 1);
    EXPECT_EQ(storedVersion(), "3.0");
}
