#include "scenario/QtScenarioDriver.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

#include "backends/qt/QtAlertDialog.h"
#include "backends/qt/QtBackend.h"
#include "backends/qt/QtCutOffTexts.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtViewPeer.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/ViewQuery.h"

namespace {

// Time for the main queue to settle after a step, before the screenshot.
constexpr auto kSettle = std::chrono::milliseconds(250);

std::string fileNameFor(int index, const std::string& text) {
    std::string name;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += char(std::tolower(static_cast<unsigned char>(c)));
        else if (!name.empty() && name.back() != '-')
            name += '-';
        if (name.size() >= 48)
            break;
    }
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", index);
    return prefix + name + ".png";
}

}  // namespace

QtScenarioDriver::QtScenarioDriver(QtBackend& backend, std::filesystem::path screenshots,
                                   std::ostream& progress)
    : backend_(backend), screenshots_(std::move(screenshots)), progress_(progress) {
    ticker_.setInterval(20);
    QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
}

void QtScenarioDriver::start() {
    QTimer::singleShot(0, [this] { engine().start(); });
}

void QtScenarioDriver::captureLaunchScreen() {
    try {
        screenshot(fileNameFor(screenshotCount_, "launch screen"));
    } catch (const ScenarioError& error) {
        std::cerr << error.what() << "\n";
    }
}

bool QtScenarioDriver::launch() {
    if (!topScreen())
        failStep("the application shows no screen yet");
    return true;
}

std::shared_ptr<UIAlertController> QtScenarioDriver::visibleAlert() const {
    QtWindow* window = backend_.window();
    QtAlertDialog* dialog = window ? window->alertDialog() : nullptr;
    return dialog ? dialog->alert() : nullptr;
}

std::shared_ptr<AVPlayerViewController> QtScenarioDriver::visiblePlayer() const {
    QtWindow* window = backend_.window();
    QtPlayerScreen* player = window ? window->playerScreen() : nullptr;
    return player ? player->controller() : nullptr;
}

bool QtScenarioDriver::tap(const std::shared_ptr<UIButton>& button) {
    auto* peer = dynamic_cast<QtViewPeer*>(button->peer());
    auto* widget = peer ? dynamic_cast<QPushButton*>(&peer->widget()) : nullptr;
    if (!widget || !widget->isVisible() || !widget->isEnabled())
        return false;
    widget->click();
    return true;
}

void QtScenarioDriver::typeIntoAlert(const std::string& text, std::size_t field) {
    backend_.window()->alertDialog()->textFields().at(field)->setText(QString::fromStdString(text));
}

bool QtScenarioDriver::chooseAlertAction(const std::string& title) {
    // By the title the story gave, whatever language the button shows it in.
    auto* dialog = backend_.window()->alertDialog();
    const auto& actions = dialog->alert()->actions();
    for (std::size_t i = 0; i < actions.size() && i < dialog->buttons().size(); ++i) {
        if (actions[i]->title() == title) {
            dialog->buttons()[i]->click();
            return true;
        }
    }
    return false;
}

bool QtScenarioDriver::closePlayer() {
    QtWindow* window = backend_.window();
    if (!window || !window->playerScreen())
        return false;
    window->playerScreen()->doneButton()->click();
    return true;
}

bool QtScenarioDriver::chooseCaptions(const std::optional<std::string>& language) {
    QtWindow* window = backend_.window();
    QtPlayerScreen* screen = window ? window->playerScreen() : nullptr;
    if (!screen || !screen->captionsButton()->isVisible())
        return false;
    // Off, then each language: at most one round of presses.
    for (std::size_t press = 0; press <= screen->controller()->captions().languages().size();
         ++press) {
        if (screen->controller()->captions().shown() == language)
            return true;
        screen->captionsButton()->click();
    }
    return screen->controller()->captions().shown() == language;
}

std::string QtScenarioDriver::shownCaption() const {
    QtWindow* window = backend_.window();
    QtPlayerScreen* screen = window ? window->playerScreen() : nullptr;
    if (!screen || !screen->captionLabel()->isVisible())
        return "";
    return screen->captionLabel()->text().toStdString();
}

void QtScenarioDriver::scroll(const std::shared_ptr<UIScrollView>& view, CGPoint offset) {
    view->setContentOffset(offset);
}

bool QtScenarioDriver::await(const ScenarioWait& wait) {
    if (wait.missing && !wait.missing())
        return true;
    wait_ = wait;
    // A pause may run a little over its time; a condition has that long to hold.
    deadline_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(wait.seconds));
    ticker_.start();
    return false;
}

bool QtScenarioDriver::settle(const ScenarioStep& step) {
    settling_ = step.text;
    deadline_ = Clock::now() + kSettle;
    ticker_.start();
    return false;
}

void QtScenarioDriver::tick() {
    try {
        if (wait_) {
            if (wait_->onTick)
                wait_->onTick();
            bool over = Clock::now() >= deadline_;
            auto missing = wait_->missing ? wait_->missing() : std::nullopt;
            if (!missing && (wait_->missing || over)) {
                wait_.reset();
                engine().resume();
            } else if (over) {
                wait_.reset();
                engine().abort("timed out: " + *missing);
            }
        } else if (settling_ && Clock::now() >= deadline_) {
            std::string name = fileNameFor(screenshotCount_, *settling_);
            settling_.reset();
            screenshot(name);
            engine().resume();
        }
    } catch (const std::exception& error) {
        wait_.reset();
        settling_.reset();
        engine().abort(error.what());
    }
}

void QtScenarioDriver::screenshot(const std::string& name) {
    QtWindow* window = backend_.window();
    if (!window)
        failStep("there is no window to take a screenshot of");
    auto path = screenshots_ / name;
    if (!window->screenshot().save(QString::fromStdString(path.string()), "PNG"))
        failStep("cannot write " + path.string());
    ++screenshotCount_;
    // A tour in a longer language shows its translator each text the screen has no room for.
    for (const auto& text : qttexts::cutOffTexts(*window))
        progress_ << "  cut off: " << text << "\n";
}

void QtScenarioDriver::finished(bool passed, const std::string& scriptName) {
    ticker_.stop();
    progress_ << (passed ? "tour passed: " : "tour failed: ") << scriptName << " ("
              << screenshotCount_ << " screenshots in " << screenshots_.string() << ")\n";
    QCoreApplication::exit(passed ? 0 : 1);
}
