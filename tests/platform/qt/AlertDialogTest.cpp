#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "QtFixture.h"
#include "platform/qt/QtAlertDialog.h"
#include "platform/qt/QtWindow.h"
#include "platform/ui/UIAlertController.h"

namespace {

class QtAlertDialogTest : public QtFixture {
protected:
    void SetUp() override {
        QtFixture::SetUp();
        screen = showScreen("title");
    }

    // A prompt like the gate's: OK (default style) then Cancel, and one text field.
    std::shared_ptr<UIAlertController> presentPrompt() {
        auto alert = UIAlertController::alertControllerWithTitle("What is 2 + 2?", "",
                                                                 UIAlertControllerStyle::alert);
        alert->addAction(UIAlertAction::actionWithTitle(
            "OK", UIAlertActionStyle::defaultStyle, [this, alert = alert.get()](UIAlertAction&) {
                chosen.push_back("OK:" + alert->textFields()[0]->text());
            }));
        alert->addAction(
            UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyle::cancel,
                                           [this](UIAlertAction&) { chosen.push_back("Cancel"); }));
        alert->addTextFieldWithConfigurationHandler(
            [](UITextField& field) { field.setPlaceholder("Enter your answer"); });
        screen->presentViewController(alert, true, nullptr);
        return alert;
    }

    QtAlertDialog* dialog() const { return window().alertDialog(); }

    std::shared_ptr<UIViewController> screen;
    std::vector<std::string> chosen;
};

}  // namespace

TEST_F(QtAlertDialogTest, EnterInTheTextFieldChoosesTheDefaultStyleAction) {
    presentPrompt();
    ASSERT_NE(dialog(), nullptr);
    QTest::keyClicks(dialog()->textFields()[0], "4");
    QTest::keyClick(dialog()->textFields()[0], Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !chosen.empty(); }, 1000));
    EXPECT_EQ(chosen, std::vector<std::string>{"OK:4"});
}

TEST_F(QtAlertDialogTest, EscapeChoosesTheCancelStyleActionOnce) {
    presentPrompt();
    QtAlertDialog* shown = dialog();
    ASSERT_NE(shown, nullptr);
    QTest::keyClick(shown, Qt::Key_Escape);
    // A second answer before the dialog is gone is not taken.
    shown->choose(0);
    ASSERT_TRUE(waitUntil([&] { return !chosen.empty(); }, 1000));
    spin(50);
    EXPECT_EQ(chosen, std::vector<std::string>{"Cancel"});
    EXPECT_EQ(screen->presentedViewController(), nullptr);
}

TEST_F(QtAlertDialogTest, AnAlertWithoutACancelActionStaysOnEscapeAndClose) {
    auto alert = UIAlertController::alertControllerWithTitle(
        "We won't be long!", "Story downloading!", UIAlertControllerStyle::alert);
    alert->addAction(
        UIAlertAction::actionWithTitle("OK", UIAlertActionStyle::defaultStyle, nullptr));
    screen->presentViewController(alert, true, nullptr);
    QPointer<QtAlertDialog> shown = dialog();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->findChild<QLabel*>("alertMessage")->text(), "Story downloading!");
    QTest::keyClick(shown, Qt::Key_Escape);
    shown->close();
    spin(50);
    EXPECT_EQ(screen->presentedViewController(), alert);
    EXPECT_TRUE(shown->isVisible());
    QTest::mouseClick(shown->buttons()[0], Qt::LeftButton);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return shown.isNull(); }, 1000));
}
