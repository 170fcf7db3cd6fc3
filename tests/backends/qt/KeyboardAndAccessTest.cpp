#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "QtFixture.h"
#include "backends/qt/QtAlertDialog.h"
#include "backends/qt/QtScrollView.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"

namespace {

class KeyboardAndAccessTest : public QtFixture {
protected:
    std::shared_ptr<UIViewController> showActive(const std::string& identifier) {
        auto screen = showScreen(identifier);
        window().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
        // As the reader finds it: the focus the window gives on activation shows no ring.
        if (auto* focused = dynamic_cast<QtKeyButton*>(QApplication::focusWidget())) {
            EXPECT_FALSE(focused->showsFocus());
            focused->clearFocus();
        }
        return screen;
    }
    // The title of the focused button, or "(none)".
    static std::string focusedTitle() {
        auto* button = dynamic_cast<QtButton*>(QApplication::focusWidget());
        return button ? std::static_pointer_cast<UIButton>(button->view())->title() : "(none)";
    }
    std::string topScreen() const {
        if (window().playerScreen())
            return "player";
        auto* top = window().topStageWidget();
        auto buttons = top ? widgetsIn<QtButton>(top) : std::vector<QtButton*>{};
        return buttons.empty() ? "(none)" : buttons.front()->view()->identifier() + "...";
    }
};

const QColor kRing(0x4f, 0xb3, 0xff);

// A key pressed with the focus on a button, and where it leads.
struct KeyPress {
    const char* at;  // nullptr: the key goes to the window
    Qt::Key key;
    const char* to;  // the button focused, or the screen shown by its first button's identifier
};

}  // namespace

TEST_F(KeyboardAndAccessTest,
       TabGoesInReadingOrderTheArrowsToTheNearestButtonAndTheFocusShowsARing) {
    showActive("music");
    // The Stop button is hidden until a song plays, and is skipped.
    std::vector<std::string> tabbed;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(&window(), Qt::Key_Tab);
        tabbed.push_back(focusedTitle());
    }
    EXPECT_EQ(tabbed, (std::vector<std::string>{
                          "Back", "Mend the Sky", "Night Bulletin Tonight (Last Issue)",
                          "Adrift on Starlight (Adieu)", "Far Descendants/ Story Holds (Reprise)",
                          "Someday (Brief Return)", "Bright Morning Rising",
                          "The Echo of Starlight (Goodbye)", "Back"}));

    for (const auto& arrow : std::vector<KeyPress>{
             {"Mend the Sky", Qt::Key_Down, "Someday (Brief Return)"},
             {"Mend the Sky", Qt::Key_Right, "Night Bulletin Tonight (Last Issue)"},
             {"Someday (Brief Return)", Qt::Key_Up, "Mend the Sky"},
             {"Night Bulletin Tonight (Last Issue)", Qt::Key_Left, "Mend the Sky"},
             {"Mend the Sky", Qt::Key_Up, "Back"},
         }) {
        button(arrow.at)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), arrow.key);
        EXPECT_EQ(focusedTitle(), arrow.to) << arrow.at << " key " << arrow.key;
    }

    // The ring is drawn in the border; without the focus the border is the button's own.
    QtButton* song = button("Mend the Sky");
    auto edge = [&] {
        spin(30);
        return QColor(
            window().grab().toImage().pixel(song->mapTo(&window(), QPoint(2, song->height() / 2))));
    };
    song->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edge(), kRing);
    button("Back")->setFocus(Qt::TabFocusReason);
    EXPECT_NE(edge(), kRing);
}

TEST_F(KeyboardAndAccessTest, EnterAndSpacePressTheFocusedButtonAndEscapeGoesBack) {
    auto title = showActive("title");
    for (const auto& step : std::vector<KeyPress>{
             {"Story Chapters", Qt::Key_Return, "back..."},
             {nullptr, Qt::Key_Escape, "chaptersButton..."},
             {"Lots More", Qt::Key_Space, "back..."},
             {nullptr, Qt::Key_Escape, "chaptersButton..."},
         }) {
        if (step.at)
            button(step.at)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(step.at ? QApplication::focusWidget() : &window(), step.key);
        settle();
        EXPECT_EQ(topScreen(), step.to) << (step.at ? step.at : "") << " " << step.key;
    }
    // Someone on the keyboard keeps a focused button across screens.
    button("Story Chapters")->setFocus(Qt::TabFocusReason);
    for (const char* focused : {"Back", "Story Chapters"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        settle();
        EXPECT_EQ(focusedTitle(), focused);
    }

    title->presentViewController(AVPlayerViewController::init(), true, nullptr);
    settle();
    ASSERT_EQ(topScreen(), "player");
    QTest::keyClick(&window(), Qt::Key_Escape);
    settle();
    EXPECT_NE(topScreen(), "player");
}

TEST_F(KeyboardAndAccessTest, ButtonsLabelsProgressBarsAndAlertFieldsHaveNamesAndRoles) {
    auto screen = showActive("chapters");
    auto alert = UIAlertController::alertControllerWithTitle("What is 7 times 3?", "",
                                                             UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyle::defaultStyle,
                                                    [](UIAlertAction&) {}));
    alert->addTextFieldWithConfigurationHandler(
        [](UITextField& field) { field.setPlaceholder("Enter your answer"); });
    screen->presentViewController(alert, true, nullptr);
    settle();
    QtAlertDialog* dialog = window().alertDialog();
    ASSERT_NE(dialog, nullptr);
    QWidget* top = window().topStageWidget();
    for (const auto& [widget, role, name] :
         std::vector<std::tuple<QWidget*, QAccessible::Role, const char*>>{
             {button("chapter13"), QAccessible::Button, "Chapter 13"},
             {button("back"), QAccessible::Button, "Back"},
             {top->findChildren<QLabel*>().value(0), QAccessible::StaticText, "Chapters 13 to 16"},
             {top->findChild<QProgressBar*>(), QAccessible::ProgressBar, "Download progress"},
             {dialog, QAccessible::Dialog, "What is 7 times 3?"},
             {dialog->findChild<QLabel*>("alertTitle"), QAccessible::StaticText,
              "What is 7 times 3?"},
             {dialog->textFields()[0], QAccessible::EditableText, "What is 7 times 3?"},
             {dialog->buttons()[0], QAccessible::Button, "OK"},
         }) {
        ASSERT_NE(widget, nullptr) << name;
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(access, nullptr) << name;
        EXPECT_EQ(access->role(), role) << name;
        EXPECT_EQ(access->text(QAccessible::Name).toStdString(), name);
    }
}

TEST_F(KeyboardAndAccessTest, ATapOrAClickPressesAButtonInsideAKineticScrollView) {
    static QPointingDevice* finger = QTest::createTouchDevice();
    for (bool touch : {false, true}) {
        showActive("theend");
        widgetsIn<QtScrollView>(window().topStageWidget()).at(0)->scrollBy(600, 0);
        QtButton* facebook = button("facebook");
        QPoint centre = facebook->mapTo(&window(), facebook->rect().center());
        if (touch) {
            QTest::touchEvent(&window(), finger).press(0, centre);
            QTest::touchEvent(&window(), finger).release(0, centre);
        } else {
            QTest::mouseClick(window().windowHandle(), Qt::LeftButton, {}, centre);
        }
        // The parental gate asks before the link opens.
        ASSERT_TRUE(waitUntil([&] { return window().alertDialog() != nullptr; }, 2000))
            << (touch ? "tap" : "click");
        window().alertDialog()->choose(1);
        settle();
    }
}
