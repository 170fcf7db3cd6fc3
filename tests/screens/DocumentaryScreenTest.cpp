#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SimFixture.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "screens/Xmas2024ViewController.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

class DocumentaryScreenTest : public SimFixture {
protected:
    std::shared_ptr<Xmas2024ViewController> show() {
        auto screen = showScreenAs<Xmas2024ViewController>("documentary");
        takeLog();
        return screen;
    }
    void tap(Xmas2024ViewController& screen, long long tag) {
        auto button = std::make_shared<UIButton>();
        button->setTag(tag);
        screen.playChapter(*button);
        sim->runUntilIdle();
    }
};

TEST_F(DocumentaryScreenTest, AMissingDocumentaryWritesOnlyItsLineEvenWhenTheFetchedSetHasIt) {
    addPackFile("Video", "XmasDocumentary.mp4");
    auto screen = show();
    resources->completeAll("Video");
    sim->runUntilIdle();
    for (int tap = 0; tap < 2; ++tap) {
        this->tap(*screen, 0);
        EXPECT_FALSE(screen->presentedViewController());
        EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource XmasDocumentary.mp4\""));
    }
}

TEST_F(DocumentaryScreenTest, AnotherTagShowsTheBusyAlertThenLogsTheEmptyName) {
    auto screen = show();
    // Whether the alert was already up when each line was written.
    std::vector<bool> alertUpAtLine;
    setDebugLogSink([&](const std::string& line) {
        log.push_back(line);
        alertUpAtLine.push_back(sim->visibleAlert() != nullptr);
    });
    tap(*screen, 3);
    EXPECT_EQ(screen->videoName, "");
    auto alert = sim->visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "We won't be long!");
    EXPECT_EQ(alert->message(), "Story downloading!");
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource .mp4\""));
    EXPECT_THAT(alertUpAtLine, ElementsAre(true));
}
