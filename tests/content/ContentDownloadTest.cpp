#include <gtest/gtest.h>

#include "SimFixture.h"
#include "content/OnDemandContentViewController.h"
#include "platform/content/NSBundleResourceRequest.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

namespace {

// A content screen with nothing but a progress bar, built as the interface
// description would build it.
class ContentScreen : public OnDemandContentViewController {
public:
    ContentScreen() : OnDemandContentViewController(std::nullopt, nullptr) {
        setViewBuilder([this] {
            auto root = std::make_shared<UIView>();
            auto bar = std::make_shared<UIProgressView>();
            bar->setHidden(true);
            root->addSubview(bar);
            progressView = bar;
            return root;
        });
    }
    std::string lookUp(const std::string& name) {
        return pathOfDownloadedResource(name, "mp4", "Story downloading!");
    }
};

}  // namespace

class ContentDownloadTest : public SimFixture {
protected:
    std::shared_ptr<ContentScreen> loadScreen(const std::string& tag = "Video") {
        auto screen = std::make_shared<ContentScreen>();
        screen->loadViewIfNeeded();
        screens.push_back(screen);
        window->setRootViewController(screen);
        screen->downloadResources(tag);
        return screen;
    }
    std::shared_ptr<UIProgressView> bar(const std::shared_ptr<ContentScreen>& screen) {
        return screen->progressView.lock();
    }
    std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>();
    std::vector<std::shared_ptr<ContentScreen>> screens;
};

TEST_F(ContentDownloadTest, ContentAlreadyOnTheDeviceShowsTheBarAtLoadAndHidesItAtCompletion) {
    addPackFile("Video", "LKSChapter14.mp4");
    resources->install("Video");
    auto screen = loadScreen();
    EXPECT_FALSE(bar(screen)->isHidden());
    EXPECT_EQ(bar(screen)->progress(), 0.0f);  // updates wait for the main queue
    sim->runUntilIdle();
    EXPECT_TRUE(bar(screen)->isHidden());
    EXPECT_EQ(bar(screen)->progress(), 1.0f);
    EXPECT_FALSE(sim->visibleAlert());
    EXPECT_EQ(screen->request->progress()->observerCount(), 0u);
    EXPECT_EQ(screen->request->loadingPriority(), NSBundleResourceRequestLoadingPriorityUrgent);
    EXPECT_EQ(screen->request->tags(), std::set<std::string>{"Video"});
}

TEST_F(ContentDownloadTest, ProgressMovesTheBarOnlyThroughTheMainQueue) {
    auto screen = loadScreen();
    resources->setProgress(0, 0.3);
    EXPECT_EQ(bar(screen)->progress(), 0.0f);
    sim->runUntilIdle();
    EXPECT_FLOAT_EQ(bar(screen)->progress(), 0.3f);
    EXPECT_FALSE(bar(screen)->isHidden());
}

TEST_F(ContentDownloadTest, OutOfStorageHidesTheBarAndShowsTheAlertOnThatScreen) {
    auto other = loadScreen();
    auto screen = loadScreen();
    resources->complete(1, NSBundleOnDemandResourceOutOfSpaceError);
    sim->runUntilIdle();
    EXPECT_TRUE(bar(screen)->isHidden());
    EXPECT_FALSE(bar(other)->isHidden());
    auto alert = std::dynamic_pointer_cast<UIAlertController>(screen->presentedViewController());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Not Enough Space");
    EXPECT_FALSE(other->presentedViewController());
}

TEST_F(ContentDownloadTest, AnyOtherFailureOnlyHidesTheBar) {
    for (long code : {long(NSBundleOnDemandResourceInvalidTagError), long(LKSOnDemandNetworkError),
                      long(LKSOnDemandChecksumMismatchError), 4991L}) {
        auto screen = loadScreen();
        resources->complete(0, code);
        sim->runUntilIdle();
        EXPECT_TRUE(bar(screen)->isHidden()) << code;
        EXPECT_FALSE(screen->presentedViewController()) << code;
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(ContentDownloadTest, OnlyFractionCompletedWithoutAContextMovesTheBar) {
    auto screen = loadScreen();
    sim->runUntilIdle();
    auto progress = screen->request->progress();
    int context = 0;
    screen->observeValueForKeyPath("completedUnitCount", progress, {0.2}, nullptr);
    screen->observeValueForKeyPath(std::nullopt, progress, {0.3}, nullptr);
    screen->observeValueForKeyPath("fractionCompleted", progress, {0.4}, &context);
    sim->runUntilIdle();
    EXPECT_EQ(bar(screen)->progress(), 0.0f) << "a change the screen does not watch moved the bar";
    resources->setProgress(0, 0.7);
    sim->runUntilIdle();
    EXPECT_FLOAT_EQ(bar(screen)->progress(), 0.7f);
}

TEST_F(ContentDownloadTest, ABarUpdatePostedJustBeforeTheCompletionRunsFirst) {
    auto screen = loadScreen();
    sim->runUntilIdle();
    resources->setProgress(0, 0.5);
    resources->complete(0, LKSOnDemandNetworkError);
    bar(screen)->setProgress(0.0f);
    sim->runUntilIdle();
    EXPECT_FLOAT_EQ(bar(screen)->progress(), 0.5f);
    EXPECT_TRUE(bar(screen)->isHidden());
}

TEST_F(ContentDownloadTest, AScreenClosedDuringTheDownloadLivesUntilItsCompletionHasRun) {
    std::weak_ptr<ContentScreen> weakScreen;
    std::shared_ptr<NSProgress> progress;
    {
        auto screen = loadScreen();
        weakScreen = screen;
        progress = screen->request->progress();
        screens.clear();
        window->setRootViewController(nullptr);
    }
    sim->runUntilIdle();
    EXPECT_FALSE(weakScreen.expired()) << "the pending request holds its observer";
    resources->complete(0);
    EXPECT_FALSE(weakScreen.expired());
    sim->runUntilIdle();
    EXPECT_EQ(progress->observerCount(), 0u);
    EXPECT_TRUE(weakScreen.expired());
}

TEST_F(ContentDownloadTest, ACompletionFromAWorkerThreadTouchesNothingUntilTheMainQueueRuns) {
    auto screen = loadScreen();
    sim->runUntilIdle();
    resources->complete(0, 0, /*fromWorkerThread=*/true);
    EXPECT_FALSE(bar(screen)->isHidden());
    sim->runUntilIdle();
    EXPECT_TRUE(bar(screen)->isHidden());
}

TEST_F(ContentDownloadTest, AnyOtherErrorIsLoggedAsGeneric) {
    runCatchingLookupErrors([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(log, std::vector<std::string>{"\"Generic error\""});
}
