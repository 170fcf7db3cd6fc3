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
