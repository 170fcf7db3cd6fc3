#include <gtest/gtest.h>

#include "SimFixture.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "story/content/OnDemandContentViewController.h"

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
};

}  // namespace

class ContentDownloadTest : public SimFixture {
protected:
    std::shared_ptr<ContentScreen> loadScreen() {
        auto screen = std::make_shared<ContentScreen>();
        screen->loadViewIfNeeded();
        screens.push_back(screen);
        window->setRootViewController(screen);
        screen->downloadResources("Video");
        return screen;
    }
    std::shared_ptr<UIProgressView> bar(const std::shared_ptr<ContentScreen>& screen) {
        return screen->progressView.lock();
    }
    std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>();
    std::vector<std::shared_ptr<ContentScreen>> screens;
};

TEST_F(ContentDownloadTest, OnlyOutOfStorageShowsAnAlertAndOnlyOnTheScreenItFailedFor) {
    // The last one loaded is the window's root, where an alert can show.
    auto pending = loadScreen(), other = loadScreen(), full = loadScreen();
    resources->complete(2, NSBundleOnDemandResourceOutOfSpaceError);
    resources->complete(1, 4991);
    sim->runUntilIdle();
    EXPECT_TRUE(bar(full)->isHidden() && bar(other)->isHidden());
    EXPECT_FALSE(bar(pending)->isHidden());
    EXPECT_TRUE(std::dynamic_pointer_cast<UIAlertController>(full->presentedViewController()));
    EXPECT_FALSE(other->presentedViewController() || pending->presentedViewController());
    EXPECT_TRUE(log.empty());
}

TEST_F(ContentDownloadTest, ProgressMovesTheBarThroughTheMainQueueAndBeforeTheCompletion) {
    auto screen = loadScreen();
    sim->runUntilIdle();
    resources->setProgress(0, 0.5);
    resources->complete(0, LKSOnDemandNetworkError, /*fromWorkerThread=*/true);
    EXPECT_EQ(bar(screen)->progress(), 0.0f);
    EXPECT_FALSE(bar(screen)->isHidden());
    sim->runUntilIdle();
    EXPECT_FLOAT_EQ(bar(screen)->progress(), 0.5f);
    EXPECT_TRUE(bar(screen)->isHidden());
}
