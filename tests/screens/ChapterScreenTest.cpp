#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "screens/ViewController.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

class ChapterScreenTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        addBundledFile("LKSChapter13.mp4");
        for (const char* name : {"LKSChapter14.mp4", "LKSChapter15.mp4", "LKSChapter16.mp4"})
            addPackFile("Video", name);
        screen = showScreenAs<ViewController>("chapters");
        takeLog();
    }

    void tapChapter(long long tag) {
        auto button = std::make_shared<UIButton>();
        button->setTag(tag);
        screen->playChapter(*button);
        sim->runUntilIdle();
    }

    std::string playingPath() const {
        auto player = sim->visiblePlayer();
        return player ? player->player()->currentItem()->url()->path() : std::string();
    }

    std::shared_ptr<ViewController> screen;
};

TEST_F(ChapterScreenTest, ATagOutsideTheTableLooksForTheEmptyNameInTheFetchedSetOnly) {
    // An installed file of that name must not be found: the lookup goes to the fetched set.
    addBundledFile(".mp4");
    tapChapter(7);
    EXPECT_EQ(screen->videoName, "");
    EXPECT_TRUE(sim->visibleAlert());
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource .mp4\""));
    ASSERT_TRUE(sim->chooseAlertAction("OK"));

    addPackFile("Video", ".mp4");
    resources->completeAll("Video");
    sim->runUntilIdle();
    tapChapter(-1);
    EXPECT_THAT(playingPath(), EndsWith("/packs/Video/.mp4"));
}

TEST_F(ChapterScreenTest, AScreenThatIsGoneIsNeverCalledAtTheEndOfItsVideo) {
    // A running download holds its screen until it completes.
    resources->completeAll("Video", LKSOnDemandNetworkError);
    sim->runUntilIdle();
    tapChapter(0);
    std::shared_ptr<AVPlayerItem> item = sim->visiblePlayer()->player()->currentItem();
    std::weak_ptr<ViewController> gone = screen;
    screen.reset();
    showScreen("title");
    ASSERT_TRUE(gone.expired()) << "the end-of-item registration must not keep the screen";
    item->didPlayToEnd();
    EXPECT_THAT(takeLog(), IsEmpty());
}

TEST_F(ChapterScreenTest, TheScreenAndTheDelegateItHoldsAreFreedWhenTheRunEnds) {
    // The delegate holds the window, which holds the screen, which holds the delegate.
    std::weak_ptr<ViewController> gone = screen;
    std::weak_ptr<AppDelegate> delegate = appDelegate;
    screen.reset();
    restart();
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(delegate.expired());
}
