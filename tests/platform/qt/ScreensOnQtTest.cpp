#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "QtFixture.h"
#include "app/AppDelegate.h"
#include "music/MusicViewController.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/qt/QtAlertDialog.h"
#include "platform/qt/QtPlayerScreen.h"
#include "platform/qt/QtScrollView.h"
#include "platform/qt/QtVideoView.h"
#include "platform/qt/QtViewWidgets.h"
#include "platform/qt/QtWindow.h"

namespace {

class ScreensOnQtTest : public QtFixture {
protected:
    QtAlertDialog* alert() const { return window().alertDialog(); }
    QString alertText(const char* part) const { return alert()->findChild<QLabel*>(part)->text(); }
};

double alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) / 255.0;
}

}  // namespace

TEST_F(ScreensOnQtTest, ATrackPlaysWithItsPositionAdvancingInRealTimeAndStopHidesIt) {
    addSamplePack("Audio");
    resources->install("Audio");
    auto screen = std::dynamic_pointer_cast<MusicViewController>(showScreen("music"));
    ASSERT_NE(screen, nullptr);
    auto* position = widgetOf<QLabel>(screen->trackPositionLabel.lock());
    auto* title = widgetOf<QLabel>(screen->trackTitleLabel.lock());
    ASSERT_TRUE(position && title);
    EXPECT_TRUE(position->isHidden());
    EXPECT_FALSE(button("Stop")->isVisible());

    QTest::mouseClick(button("Mend the Sky"), Qt::LeftButton);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(title->text(), "Now playing: Mend the Sky");
    EXPECT_TRUE(title->isVisible());
    EXPECT_TRUE(position->isVisible());
    EXPECT_TRUE(button("Stop")->isVisible());
    ASSERT_TRUE(waitUntil([&] { return position->text() == "00:01"; }, 4000));
    EXPECT_GE(clock.elapsed(), 950);
    ASSERT_TRUE(waitUntil([&] { return position->text() == "00:02"; }, 3000));
    EXPECT_GE(clock.elapsed(), 1950);
    EXPECT_EQ(AVAudioPlayer::playingCount(), 1u);

    QTest::mouseClick(button("Stop"), Qt::LeftButton);
    EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
    EXPECT_EQ(screen->audioPlayer->currentTime(), 0.0);
    EXPECT_TRUE(position->isHidden());
    EXPECT_FALSE(button("Stop")->isVisible());
    EXPECT_EQ(title->text(), "");
    EXPECT_TRUE(title->isVisible());
}

TEST_F(ScreensOnQtTest, TheFadingScrollViewIsDrawnThroughItsMaskAndTheFadeFollowsAFlick) {
    showScreen("lotsmore");
    auto scrollViews = widgetsIn<QtScrollView>(window().topStageWidget());
    ASSERT_EQ(scrollViews.size(), 1u);
    QtScrollView* fading = scrollViews[0];
    ASSERT_EQ(fading->view()->className(), "FadingScrollView");
    // An opaque background, so that the grabbed alpha is the mask's alone.
    fading->view()->setBackgroundColor({1.0, 1.0});
    int height = fading->height();
    ASSERT_EQ(height, 620);

    auto check = [&](const char* when) {
        QImage image = fading->grab().toImage();
        int x = image.width() / 2;
        EXPECT_LT(alphaAt(image, x, 0), 0.05) << when;
        EXPECT_NEAR(alphaAt(image, x, 31), 0.5, 0.05) << when;
        EXPECT_GT(alphaAt(image, x, 62), 0.95) << when;
        EXPECT_GT(alphaAt(image, x, height / 2), 0.95) << when;
        EXPECT_GT(alphaAt(image, x, 588), 0.95) << when;
        EXPECT_NEAR(alphaAt(image, x, 604), 0.5, 0.05) << when;
        EXPECT_LT(alphaAt(image, x, height - 1), 0.05) << when;
    };
    check("at the top");
    // A flick of a finger: the kinetic scroller moves the content on after the finger lifts.
    static QPointingDevice* finger = QTest::createTouchDevice();
    QPoint start(fading->width() / 2, height - 100);
    QTest::touchEvent(fading, finger).press(0, start);
    for (int step = 1; step <= 8; ++step) {
        QTest::qWait(15);
        QTest::touchEvent(fading, finger).move(0, start - QPoint(0, step * 40));
    }
    QTest::touchEvent(fading, finger).release(0, start - QPoint(0, 320));
    double lifted = fading->view()->bounds().origin.y;
    EXPECT_GT(lifted, 100);
    ASSERT_TRUE(waitUntil([&] { return fading->view()->bounds().origin.y > lifted + 50; }, 2000));
    check("flicked");
}
