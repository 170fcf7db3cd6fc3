// The story screens on the sim backend, for what the scenarios cannot reach: a screen gone
// before its callback, and the fade mask's geometry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SimFixture.h"
#include "platform/foundation/NSError.h"
#include "platform/layers/CALayer.h"
#include "platform/media/AVPlayer.h"
#include "story/app/AppDelegate.h"
#include "story/screens/FadingScrollView.h"
#include "story/screens/ViewController.h"

using ScreensTest = SimFixture;

TEST_F(ScreensTest, AChapterScreenThatIsGoneIsNeverCalledAtTheEndOfItsVideo) {
    addBundledFile("LKSChapter13.mp4");
    auto screen = std::dynamic_pointer_cast<ViewController>(showScreen("chapters"));
    // A running download holds its screen until it completes.
    resources->completeAll("Video", LKSOnDemandNetworkError);
    sim->runUntilIdle();
    ASSERT_TRUE(tapButton("chapter13"));
    sim->runUntilIdle();
    std::shared_ptr<AVPlayerItem> item = sim->visiblePlayer()->player()->currentItem();
    std::weak_ptr<ViewController> gone = screen;
    screen.reset();
    showScreen("title");
    ASSERT_TRUE(gone.expired()) << "the end-of-item registration must not keep the screen";
    takeLog();
    item->didPlayToEnd();
    EXPECT_THAT(takeLog(), ::testing::IsEmpty());
    // The delegate holds the window, which holds the screen, which holds the delegate.
    gone = std::dynamic_pointer_cast<ViewController>(showScreen("chapters"));
    std::weak_ptr<AppDelegate> delegate = appDelegate;
    restart();
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(delegate.expired());
}

// A 200-point-high view fades in over the top 20 points and out over the bottom 10, at every
// column of its visible area however far it is scrolled sideways.
TEST_F(ScreensTest, TheFadingScrollViewsMaskCoversItsVisibleAreaWhereverItIsScrolled) {
    auto view = std::make_shared<FadingScrollView>();
    view->setContentSize({900, 1200});
    view->setFrame(CGRectMake(40, 60, 300, 200));
    for (double offset : {0.0, 1.0, 299.0, 600.0}) {
        view->setContentOffset({offset, 35});
        auto mask = view->layer()->mask();
        ASSERT_TRUE(mask);
        EXPECT_EQ(mask->frame(), CGRectMake(offset, 35, 300, 200));
        for (double x = 0; x <= 300; x += 1)
            ASSERT_NEAR(mask->alphaAt({x, 100}), 1.0, 1e-9) << "offset " << offset << " x " << x;
        for (double x : {0.0, 150.0, 300.0}) {
            for (double y = 0; y <= 200; y += 0.5) {
                double expected = y < 20 ? y / 20 : y <= 190 ? 1 : (200 - y) / 10;
                ASSERT_NEAR(mask->alphaAt({x, y}), expected, 1e-5) << "x " << x << " y " << y;
            }
        }
    }
}
