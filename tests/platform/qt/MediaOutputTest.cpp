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
