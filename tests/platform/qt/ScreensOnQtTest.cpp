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

// What an adult would type: the result of the arithmetic in the question.
QString answerTo(const QString& question) {
    auto match = QRegularExpression(R"((\d+) ([x+-]) (\d+) = \?)").match(question);
    if (!match.hasMatch())
        return {};
    long a = match.captured(1).toLong();
    long b = match.captured(3).toLong();
    QString op = match.captured(2);
    return QString::number(op == "x" ? a * b : op == "+" ? a + b : a - b);
}

double alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) / 255.0;
}

}  // namespace

TEST_F(ScreensOnQtTest, AChapterPlaysToItsEndAndThePlayerScreenCloses) {
    addSampleBundledFile("bundle/LKSChapter13.mp4");
    auto screen = showScreen("chapters");
    QTest::mouseClick(button("Chapter 13"), Qt::LeftButton);
    QPointer<QtPlayerScreen> player = window().playerScreen();
    ASSERT_FALSE(player.isNull());
    EXPECT_TRUE(
        waitUntil([&] { return !player.isNull() && player->videoView()->hasFrame(); }, 5000));
    EXPECT_FALSE(logHas("Video Finished"));
    ASSERT_TRUE(waitUntil([&] { return logHas("Video Finished"); }, 15000));
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return player.isNull(); }, 1000));
    EXPECT_NE(button("Chapter 13"), nullptr);
    EXPECT_TRUE(button("Chapter 13")->isVisible());
}

TEST_F(ScreensOnQtTest, TheBusyAlertIsARealDialogWithADefaultStyleOK) {
    showScreen("chapters");
    QTest::mouseClick(button("Chapter 14"), Qt::LeftButton);
    ASSERT_NE(alert(), nullptr);
    EXPECT_TRUE(alert()->isVisible());
    EXPECT_TRUE(alert()->isModal());
    EXPECT_EQ(alertText("alertTitle"), "We won't be long!");
    EXPECT_EQ(alertText("alertMessage"), "Story downloading!");
    ASSERT_EQ(alert()->buttons().size(), 1u);
    EXPECT_EQ(alert()->buttons()[0]->text(), "OK");
    EXPECT_EQ(alert()->buttons()[0]->property("actionStyle").toString(), "default");
    EXPECT_TRUE(alert()->textFields().empty());
    EXPECT_TRUE(logHas("\"Could not find resource LKSChapter14.mp4\""));
    QTest::mouseClick(alert()->buttons()[0], Qt::LeftButton);
    EXPECT_EQ(alert(), nullptr);
}

TEST_F(ScreensOnQtTest, TheGatePromptTakesTypedTextAndARightAnswerLowersTheGate) {
    showScreen("chapters");
    ASSERT_TRUE(appDelegate->parentalGateEnabled);
    QTest::mouseClick(button("facebook"), Qt::LeftButton);
    ASSERT_NE(alert(), nullptr);
    ASSERT_EQ(alert()->textFields().size(), 1u);
    QLineEdit* field = alert()->textFields()[0];
    EXPECT_EQ(field->placeholderText(), "Enter your answer");
    QString answer = answerTo(alertText("alertTitle"));
    ASSERT_FALSE(answer.isEmpty()) << alertText("alertTitle").toStdString();
    QTest::keyClicks(field, answer);
    QTest::mouseClick(alert()->buttons()[0], Qt::LeftButton);

    ASSERT_TRUE(waitUntil([&] { return alert() != nullptr; }, 1000));
    EXPECT_EQ(alertText("alertTitle"), "Parental Gate Disabled");
    EXPECT_EQ(alertText("alertMessage"), "You now have full access to the App");
    EXPECT_FALSE(appDelegate->parentalGateEnabled);
    EXPECT_TRUE(logHas("Ok Button Pressed"));
    EXPECT_TRUE(openedURLs.empty());
    QTest::mouseClick(alert()->buttons()[1], Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return logHas("you have pressed OK button"); }, 1000));

    // With the gate down the link opens at once.
    QTest::mouseClick(button("facebook"), Qt::LeftButton);
    EXPECT_EQ(alert(), nullptr);
    EXPECT_EQ(openedURLs.size(), 1u);
}

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

TEST_F(ScreensOnQtTest, TheFadingScrollViewIsDrawnThroughItsMaskAndTheFadeFollowsTheScroll) {
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
    fading->scrollBy(0, 300);
    EXPECT_EQ(fading->view()->bounds().origin.y, 300);
    check("scrolled");
}
