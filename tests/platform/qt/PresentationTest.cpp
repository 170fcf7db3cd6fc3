#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>

#include "QtFixture.h"
#include "platform/qt/QtScreenWidget.h"
#include "platform/qt/QtScrollView.h"
#include "platform/qt/QtViewWidgets.h"
#include "platform/qt/QtWindow.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"

namespace {

class QtPresentationTest : public QtFixture {};
class QtViewWidgetTest : public QtFixture {};

// A screen whose view tree is made here rather than by a description.
std::shared_ptr<UIViewController> makeScreen(std::function<void(UIView& root)> build) {
    auto screen = std::make_shared<UIViewController>(std::nullopt, nullptr);
    screen->setViewBuilder([build] {
        auto root = std::make_shared<UIView>();
        root->setFrame(CGRectMake(0, 0, 1024, 768));
        build(*root);
        return root;
    });
    return screen;
}

}  // namespace

TEST_F(QtPresentationTest, APresentedScreenCoversItsPresenterUntilDismissed) {
    auto title = showScreen("title");
    QWidget* titleWidget = window().topStageWidget();
    ASSERT_NE(titleWidget, nullptr);
    auto lotsMore =
        UIApplication::sharedApplication().storyboard()->instantiateViewControllerWithIdentifier(
            "lotsmore");
    int shownCalls = 0;
    title->presentViewController(lotsMore, true, [&] { ++shownCalls; });
    // The completion waits until the screen is up, and runs once.
    EXPECT_EQ(shownCalls, 0);
    QPointer<QWidget> lotsMoreWidget = window().topStageWidget();
    ASSERT_NE(lotsMoreWidget, titleWidget);
    EXPECT_TRUE(lotsMoreWidget->isVisible());
    EXPECT_FALSE(titleWidget->isVisible());
    ASSERT_TRUE(waitUntil([&] { return shownCalls == 1; }, 1000));
    spin(50);
    EXPECT_EQ(shownCalls, 1);

    title->dismissViewControllerAnimated(true, nullptr);
    EXPECT_EQ(window().topStageWidget(), titleWidget);
    EXPECT_TRUE(titleWidget->isVisible());
    EXPECT_TRUE(waitUntil([&] { return lotsMoreWidget.isNull(); }, 1000));
}

TEST_F(QtPresentationTest, TheBackButtonOfAPresentedScreenClosesItThroughTheNavigation) {
    auto title = showScreen("title");
    QTest::mouseClick(button("Lots More"), Qt::LeftButton);
    ASSERT_NE(title->presentedViewController(), nullptr);
    EXPECT_EQ(title->presentedViewController()->identifier(), "lotsmore");
    // The tap that closes the screen comes from a button on that very screen.
    QTest::mouseClick(button("back"), Qt::LeftButton);
    EXPECT_EQ(title->presentedViewController(), nullptr);
    spin(20);
    EXPECT_NE(button("Story Chapters"), nullptr);
}

TEST_F(QtPresentationTest, TheStageKeepsItsLayoutAndScalesToTheWindowWithItsAspect) {
    auto screen = makeScreen([](UIView& root) {
        auto box = std::make_shared<UIButton>();
        box->setTitle("Box");
        box->setFrame(CGRectMake(100, 100, 200, 50));
        root.addSubview(box);
    });
    auto uiWindow = std::make_shared<UIWindow>();
    uiWindow->setRootViewController(screen);
    QtButton* box = button("Box");
    ASSERT_NE(box, nullptr);

    window().resize(2048, 1536);
    spin(20);
    EXPECT_DOUBLE_EQ(window().scale(), 2.0);
    EXPECT_EQ(box->geometry(), QRect(200, 200, 400, 100));

    // A wider window: the stage keeps 4:3, centred, with bars at the sides.
    window().resize(1600, 600);
    spin(20);
    EXPECT_NEAR(window().scale(), 600.0 / 768.0, 1e-9);
    EXPECT_EQ(window().stage()->geometry(), QRect(400, 0, 800, 600));
    EXPECT_EQ(box->geometry(), QRect(78, 78, 156, 39));
}

TEST_F(QtViewWidgetTest, WidgetsFollowTheirViews) {
    std::shared_ptr<UILabel> label;
    std::shared_ptr<UIProgressView> progress;
    std::shared_ptr<UIButton> action;
    int taps = 0;
    auto screen = makeScreen([&](UIView& root) {
        label = std::make_shared<UILabel>();
        label->setFrame(CGRectMake(10, 10, 300, 40));
        progress = std::make_shared<UIProgressView>();
        progress->setFrame(CGRectMake(10, 60, 300, 8));
        action = std::make_shared<UIButton>();
        action->setTitle("Stop");
        action->setFrame(CGRectMake(10, 80, 200, 60));
        action->addHandler([&](UIView&) { ++taps; });
        root.addSubview(label);
        root.addSubview(progress);
        root.addSubview(action);
    });
    auto uiWindow = std::make_shared<UIWindow>();
    uiWindow->setRootViewController(screen);
    auto* labelWidget = widgetOf<QLabel>(label);
    auto* progressWidget = widgetOf<QProgressBar>(progress);
    auto* buttonWidget = widgetOf<QPushButton>(action);
    ASSERT_TRUE(labelWidget && progressWidget && buttonWidget);

    label->setText("Now playing: Mend the Sky");
    EXPECT_EQ(labelWidget->text(), "Now playing: Mend the Sky");
    progress->setProgress(0.4f);
    EXPECT_EQ(progressWidget->value(), 400);
    label->setHidden(true);
    EXPECT_TRUE(labelWidget->isHidden());
    label->setHidden(false);
    EXPECT_FALSE(labelWidget->isHidden());

    QTest::mouseClick(buttonWidget, Qt::LeftButton);
    EXPECT_EQ(taps, 1);
    action->setEnabled(false);
    QTest::mouseClick(buttonWidget, Qt::LeftButton);
    EXPECT_EQ(taps, 1);
}

TEST_F(QtViewWidgetTest, TextOnADarkBackgroundIsLightAndOnALightOneDark) {
    showScreen("launch");
    auto darkLabels = widgetsIn<QtLabel>(window().topStageWidget());
    ASSERT_FALSE(darkLabels.empty());
    QtLabel* dark = darkLabels[0];
    EXPECT_GT(dark->palette().color(QPalette::WindowText).lightnessF(), 0.8);
    showScreen("title");
    auto lightLabels = widgetsIn<QtLabel>(window().topStageWidget());
    ASSERT_FALSE(lightLabels.empty());
    QtLabel* light = lightLabels[0];
    EXPECT_LT(light->palette().color(QPalette::WindowText).lightnessF(), 0.3);
}

TEST_F(QtViewWidgetTest, AScrollViewMovesItsContentByTheOffsetAndScrollsWithinIt) {
    std::shared_ptr<UIScrollView> scroll;
    std::shared_ptr<UILabel> inside;
    auto screen = makeScreen([&](UIView& root) {
        scroll = std::make_shared<UIScrollView>();
        scroll->setFrame(CGRectMake(0, 0, 400, 300));
        scroll->setContentSize({400, 1000});
        inside = std::make_shared<UILabel>();
        inside->setText("far down");
        inside->setFrame(CGRectMake(0, 500, 400, 50));
        scroll->addSubview(inside);
        root.addSubview(scroll);
    });
    auto uiWindow = std::make_shared<UIWindow>();
    uiWindow->setRootViewController(screen);
    auto* scrollWidget = widgetOf<QtScrollView>(scroll);
    QWidget* insideWidget = widgetOf(inside);
    ASSERT_TRUE(scrollWidget && insideWidget);

    scroll->setContentOffset({0, 400});
    EXPECT_EQ(insideWidget->mapTo(scrollWidget, QPoint(0, 0)), QPoint(0, 100));

    // The reader scrolls past the end: the offset stops at the content's end.
    scrollWidget->scrollBy(0, 5000);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{0, 700}));
    scrollWidget->scrollBy(0, -10000);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{0, 0}));
}
