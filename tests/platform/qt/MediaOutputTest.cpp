#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <fstream>

#include "QtFixture.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/media/AVPlayer.h"
#include "platform/qt/QtPlayerScreen.h"
#include "platform/qt/QtVideoView.h"
#include "platform/qt/QtWindow.h"

namespace {

class QtAudioOutputTest : public QtFixture {
protected:
    std::string writeFile(const std::string& name, const std::string& contents) {
        auto path = (scratch / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }
    std::shared_ptr<NSURL> sampleTrack() const {
        return NSURL::fileURLWithPath(std::string(LARKSPIRE_MEDIA_DIR) +
                                      "/packs/Audio/Mend the Sky.mp3");
    }
};

class QtVideoOutputTest : public QtFixture {
protected:
    // Counts the end-of-item notifications of one item.
    struct EndObserver : NSObject {
        int ends = 0;
        void playerDidFinishPlaying(const NSNotification&) { ++ends; }
    };
};

}  // namespace

TEST_F(QtAudioOutputTest, AFileThatIsNotAudioFailsAtOnce) {
    for (const auto& [name, contents] :
         {std::pair<std::string, std::string>{"empty.mp3", ""}, {"text.mp3", "not a song\n"}}) {
        std::shared_ptr<NSError> error;
        auto player = AVAudioPlayer::initWithContentsOfURL(
            NSURL::fileURLWithPath(writeFile(name, contents)), &error);
        EXPECT_EQ(player, nullptr) << name;
        EXPECT_NE(error, nullptr) << name;
    }
    std::shared_ptr<NSError> error;
    EXPECT_EQ(AVAudioPlayer::initWithContentsOfURL(
                  NSURL::fileURLWithPath((scratch / "missing.mp3").string()), &error),
              nullptr);
}

TEST_F(QtAudioOutputTest, ATrackPlaysInRealTimeStopsInPlaceAndRewinds) {
    std::shared_ptr<NSError> error;
    auto player = AVAudioPlayer::initWithContentsOfURL(sampleTrack(), &error);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->currentTime(), 0.0);
    player->play();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return player->currentTime() >= 1.0; }, 5000));
    // Real time: a second of sound takes about a second.
    EXPECT_GE(clock.elapsed(), 900);
    spin(500);
    player->stop();
    double stoppedAt = player->currentTime();
    EXPECT_GT(stoppedAt, 1.2);
    spin(400);
    EXPECT_NEAR(player->currentTime(), stoppedAt, 0.05);
    player->setCurrentTime(0.0);
    EXPECT_TRUE(waitUntil([&] { return player->currentTime() < 0.1; }, 1000));
}

TEST_F(QtVideoOutputTest, AnItemPlayedToItsEndPostsTheNotificationOnce) {
    auto screen = showScreen("title");
    auto player = AVPlayer::initWithURL(
        NSURL::fileURLWithPath(std::string(LARKSPIRE_MEDIA_DIR) + "/bundle/LKSChapter13.mp4"));
    auto observer = std::make_shared<EndObserver>();
    NSNotificationCenter::defaultCenter().addObserver(
        observer, &EndObserver::playerDidFinishPlaying, AVPlayerItemDidPlayToEndTimeNotification,
        player->currentItem());
    auto controller = AVPlayerViewController::init();
    controller->setPlayer(player);
    screen->presentViewController(controller, true, [player] { player->play(); });
    player.reset();

    QtPlayerScreen* playerScreen = window().playerScreen();
    ASSERT_NE(playerScreen, nullptr);
    ASSERT_NE(playerScreen->mediaPlayer(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return playerScreen->videoView()->hasFrame(); }, 5000));
    EXPECT_EQ(playerScreen->playPauseButton()->text(), "Pause");
    EXPECT_TRUE(waitUntil([&] { return playerScreen->positionSlider()->value() > 500; }, 5000));
    EXPECT_EQ(observer->ends, 0);
    // The sample chapter lasts about 7 s.
    ASSERT_TRUE(waitUntil([&] { return observer->ends > 0; }, 15000));
    spin(300);
    EXPECT_EQ(observer->ends, 1);
    EXPECT_TRUE(controller->player()->currentItem()->hasPlayedToEnd());
}

TEST_F(QtVideoOutputTest, ThePlayersControlsPauseAndCloseIt) {
    auto screen = showScreen("title");
    auto player = AVPlayer::initWithURL(
        NSURL::fileURLWithPath(std::string(LARKSPIRE_MEDIA_DIR) + "/bundle/LKSChapter13.mp4"));
    auto controller = AVPlayerViewController::init();
    controller->setPlayer(player);
    screen->presentViewController(controller, true, [player] { player->play(); });
    QPointer<QtPlayerScreen> playerScreen = window().playerScreen();
    ASSERT_FALSE(playerScreen.isNull());
    ASSERT_TRUE(waitUntil([&] { return playerScreen->positionSlider()->value() > 300; }, 5000));

    QTest::mouseClick(playerScreen->playPauseButton(), Qt::LeftButton);
    EXPECT_EQ(player->rate(), 0.0f);
    ASSERT_TRUE(waitUntil([&] { return playerScreen->playPauseButton()->text() == "Play"; }, 2000));
    int pausedAt = playerScreen->positionSlider()->value();
    spin(500);
    EXPECT_NEAR(playerScreen->positionSlider()->value(), pausedAt, 50);

    QTest::mouseClick(playerScreen->doneButton(), Qt::LeftButton);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return playerScreen.isNull(); }, 1000));
    EXPECT_EQ(window().playerScreen(), nullptr);
}
