// The Qt backend on real widgets, for what the guided tour (TourTest) does not show: the main
// queue's order, the alert's keys, the mask's fade and the review notice's limit.
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <thread>

#include "QtFixture.h"
#include "backends/qt/QtAlertDialog.h"
#include "backends/qt/QtScrollView.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/ReviewNoticeLimit.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/ui/UIAlertController.h"

using QtBackendTest = QtFixture;

TEST_F(QtBackendTest, MainQueueBlocksRunInPostingOrderAcrossThreadsAndAfterWhatIsQueued) {
    std::vector<std::string> order;
    auto post = [&](std::string name) {
        NSOperationQueue::mainQueue().addOperationWithBlock([&, name] { order.push_back(name); });
    };
    post("main first");
    // Each thread posts after the previous one has finished posting.
    std::thread([&] { post("worker A"); }).join();
    std::thread([&] { post("worker B"); }).join();
    NSOperationQueue::mainQueue().addOperationWithBlock([&] {
        order.push_back("main second");
        post("nested");  // runs after everything already queued
    });
    post("main third");
    EXPECT_TRUE(order.empty()) << "nothing runs until the main thread returns to its loop";
    ASSERT_TRUE(waitUntil([&] { return order.size() == 6; }, 2000));
    EXPECT_EQ(order, (std::vector<std::string>{"main first", "worker A", "worker B", "main second",
                                               "main third", "nested"}));
}

TEST_F(QtBackendTest, AlertKeysEnterChoosesTheDefaultActionEscapeTheCancelOneOnce) {
    auto screen = showScreen("title");
    std::vector<std::string> chosen;
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        auto alert = UIAlertController::alertControllerWithTitle("What is 2 + 2?", "",
                                                                 UIAlertControllerStyle::alert);
        alert->addAction(UIAlertAction::actionWithTitle(
            "OK", UIAlertActionStyle::defaultStyle, [&chosen, alert = alert.get()](UIAlertAction&) {
                chosen.push_back("OK:" + alert->textFields()[0]->text());
            }));
        alert->addAction(
            UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyle::cancel,
                                           [&](UIAlertAction&) { chosen.push_back("Cancel"); }));
        alert->addTextFieldWithConfigurationHandler([](UITextField&) {});
        screen->presentViewController(alert, true, nullptr);
        QtAlertDialog* shown = window().alertDialog();
        ASSERT_NE(shown, nullptr);
        QTest::keyClicks(shown->textFields()[0], "4");
        QTest::keyClick(shown->textFields()[0], Qt::Key(key));
        shown->choose(1);  // a second answer before the dialog is gone is not taken
        ASSERT_TRUE(waitUntil([&] { return !screen->presentedViewController(); }, 1000));
    }
    spin(50);
    EXPECT_EQ(chosen, (std::vector<std::string>{"OK:4", "Cancel"}));
}

TEST_F(QtBackendTest, TheFadingScrollViewIsDrawnThroughItsMaskAndTheFadeFollowsAFlick) {
    showScreen("lotsmore");
    auto scrollViews = widgetsIn<QtScrollView>(window().topStageWidget());
    ASSERT_EQ(scrollViews.size(), 1u);
    QtScrollView* fading = scrollViews[0];
    ASSERT_EQ(fading->view()->className(), "FadingScrollView");
    // An opaque background, so that the grabbed alpha is the mask's alone.
    fading->view()->setBackgroundColor({1.0, 1.0});
    ASSERT_EQ(fading->height(), 620);
    auto checkFade = [&](const char* when) {
        QImage image = fading->grab().toImage();
        int x = image.width() / 2;
        const std::pair<int, double> alphas[] = {{0, 0.0},   {31, 0.5},  {62, 1.0}, {310, 1.0},
                                                 {588, 1.0}, {604, 0.5}, {619, 0.0}};
        for (const auto& [y, alpha] : alphas)
            EXPECT_NEAR(qAlpha(image.pixel(x, y)) / 255.0, alpha, 0.05) << "y " << y << " " << when;
    };
    checkFade("at the top");
    // A flick of a finger: the kinetic scroller moves the content on after the finger lifts.
    static QPointingDevice* finger = QTest::createTouchDevice();
    QPoint start(fading->width() / 2, 520);
    QTest::touchEvent(fading, finger).press(0, start);
    for (int step = 1; step <= 8; ++step) {
        QTest::qWait(15);
        QTest::touchEvent(fading, finger).move(0, start - QPoint(0, step * 40));
    }
    QTest::touchEvent(fading, finger).release(0, start - QPoint(0, 320));
    double lifted = fading->view()->bounds().origin.y;
    EXPECT_GT(lifted, 100);
    ASSERT_TRUE(waitUntil([&] { return fading->view()->bounds().origin.y > lifted + 50; }, 2000));
    checkFade("flicked");
}

TEST_F(QtBackendTest, AtMostThreeReviewNoticesInAnyYearAndADamagedRecordCountsNone) {
    auto state = scratch / "state" / "platform-state.json";
    auto day = [](int n) {
        return ReviewNoticeLimit::Clock::time_point{} + std::chrono::hours(24) * (20000 + n);
    };
    ReviewNoticeLimit limit(state);
    for (int n : {0, 100, 200})
        EXPECT_TRUE(limit.allowAndRecord(day(n)));
    EXPECT_FALSE(limit.allowAndRecord(day(364)));
    // 365 days after the first, one of the three no longer counts; a new run sees the count.
    EXPECT_TRUE(limit.allowAndRecord(day(365)));
    EXPECT_FALSE(ReviewNoticeLimit(state).allowAndRecord(day(366)));
    for (const char* damaged :
         {"{\"reviewNoticesShown\": [1, 2", "[]", "{\"reviewNoticesShown\": 7}"}) {
        std::ofstream(state, std::ios::trunc) << damaged;
        EXPECT_TRUE(ReviewNoticeLimit(state).recentNotices(day(366)).empty()) << damaged;
        EXPECT_TRUE(ReviewNoticeLimit(state).allowAndRecord(day(366))) << damaged;
    }
    // The state's folder is a file: a notice that cannot be recorded is not shown.
    EXPECT_FALSE(ReviewNoticeLimit(state / "below").allowAndRecord(day(0)));
}
