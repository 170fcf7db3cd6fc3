#include "platform/qt/run/QtTour.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <map>

#include "platform/AVPlayer.h"
#include "platform/NSURL.h"
#include "platform/Storyboard.h"
#include "platform/UIAlertController.h"
#include "platform/UIApplication.h"
#include "platform/UIView.h"
#include "platform/qt/QtAlertDialog.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPlayerScreen.h"
#include "platform/qt/QtViewPeer.h"
#include "platform/qt/QtWindow.h"
#include "scenario/ViewQuery.h"

namespace {

// How long a step may wait for the application before it fails.
constexpr double kExpectSeconds = 5.0;
constexpr double kDownloadSeconds = 300.0;
constexpr double kVideoSeconds = 120.0;
// Time for the main queue to settle after a step, before the screenshot.
constexpr auto kSettle = std::chrono::milliseconds(250);

[[noreturn]] void fail(const std::string& message) {
    throw ScenarioError(message);
}

struct StepShape {
    std::size_t min, max;
    bool acts;
    const char* usage;
};

// The steps the tour knows, with their argument counts.
const std::map<std::string, StepShape>& stepShapes() {
    static const std::map<std::string, StepShape> shapes = {
        {"launch", {0, 0, true, "launch"}},
        {"go", {1, 1, true, "go SCREEN"}},
        {"back", {0, 0, true, "back"}},
        {"tap", {1, 1, true, "tap SELECTOR"}},
        {"download", {2, 2, true, "download TAG wait"}},
        {"alert", {1, 3, true, "alert type TEXT [FIELD] | alert answer | alert choose TITLE"}},
        {"video", {1, 1, true, "video wait-end | video close"}},
        {"scroll", {3, 3, true, "scroll SELECTOR X Y"}},
        {"wait", {1, 1, true, "wait SECONDS"}},
        {"show", {0, 0, true, "show"}},
        {"expect", {1, 3, false, "expect KIND ARGUMENTS"}},
    };
    return shapes;
}

double number(const std::string& word, const std::string& what) {
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value))
        fail(what + " must be a number, not '" + word + "'");
    return value;
}

std::shared_ptr<UIView> pickOne(std::vector<std::shared_ptr<UIView>> matches,
                                const std::string& selector) {
    if (matches.size() > 1)
        std::erase_if(matches, [](const auto& view) { return !isEffectivelyVisible(view); });
    if (matches.size() > 1)
        fail("'" + selector + "' matches " + std::to_string(matches.size()) + " visible views");
    return matches.empty() ? nullptr : matches.front();
}

// "PARENTAL GATE: 12 x 7 = ?" and the like: the result of the arithmetic.
std::string answerTo(const std::string& question) {
    auto match = QRegularExpression(R"((-?\d+) ([x*+-]) (-?\d+) = \?)")
                     .match(QString::fromStdString(question));
    if (!match.hasMatch())
        fail("the alert \"" + question + "\" asks no arithmetic question");
    long long a = match.captured(1).toLongLong();
    long long b = match.captured(3).toLongLong();
    QString op = match.captured(2);
    long long result = op == "+" ? a + b : op == "-" ? a - b : a * b;
    return std::to_string(result);
}

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

QtTour::QtTour(QtBackend& backend, std::vector<ScenarioStep> steps, std::string scriptName,
               std::filesystem::path screenshots, std::ostream& progress)
    : backend_(backend),
      steps_(std::move(steps)),
      scriptName_(std::move(scriptName)),
      screenshots_(std::move(screenshots)),
      progress_(progress) {
    ticker_.setInterval(20);
    QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
}

QtTour::~QtTour() = default;

void QtTour::validate() const {
    for (const auto& step : steps_) {
        const auto& shapes = stepShapes();
        auto shape = shapes.find(step.words[0]);
        if (shape == shapes.end())
            throw ScenarioError(scriptName_ + ":" + std::to_string(step.line) + ": unknown step '" +
                                step.words[0] + "' in the tour");
        std::size_t arguments = step.words.size() - 1;
        if (arguments < shape->second.min || arguments > shape->second.max)
            throw ScenarioError(scriptName_ + ":" + std::to_string(step.line) +
                                ": usage: " + shape->second.usage);
    }
    if (steps_.empty() || steps_.front().words[0] != "launch")
        throw ScenarioError(scriptName_ + ": the tour starts with 'launch'");
}

void QtTour::logLine(const std::string& line) {
    std::lock_guard lock(logMutex_);
    log_.push_back(line);
}

void QtTour::urlOpened(const std::string& url) {
    std::lock_guard lock(logMutex_);
    urls_.push_back(url);
    progress_ << "[tour] the desktop would open " << url << "\n";
}

void QtTour::captureLaunchScreen() {
    try {
        screenshot(fileNameFor(screenshotCount_, "launch screen"));
    } catch (const ScenarioError& error) {
        std::cerr << scriptName_ << ": " << error.what() << "\n";
    }
}

void QtTour::start() {
    ticker_.start();
}

void QtTour::waitFor(std::string what, double seconds, std::function<bool()> done,
                     std::function<void()> onTick) {
    auto wait = std::make_unique<Wait>();
    wait->what = std::move(what);
    wait->deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    wait->done = std::move(done);
    wait->onTick = std::move(onTick);
    wait_ = std::move(wait);
}

void QtTour::tick() {
    if (!current_ && next_ > steps_.size())
        return;
    try {
        if (wait_) {
            if (wait_->onTick)
                wait_->onTick();
            if (wait_->done()) {
                wait_.reset();
                finishStep();
            } else if (Clock::now() > wait_->deadline) {
                fail("timed out waiting for " + wait_->what);
            }
            return;
        }
        if (settling_) {
            if (Clock::now() < settleUntil_)
                return;
            settling_ = false;
            screenshot(fileNameFor(screenshotCount_, current_->text));
            current_ = nullptr;
        }
        if (next_ >= steps_.size()) {
            finish(0);
            return;
        }
        current_ = &steps_[next_++];
        progress_ << "> " << current_->text << "\n";
        execute(*current_);
        if (!wait_)
            finishStep();
    } catch (const ScenarioError& error) {
        std::cerr << scriptName_ << ":" << (current_ ? current_->line : 0) << ": "
                  << (current_ ? current_->text : "") << "\n  failed: " << error.what() << "\n";
        finish(1);
    }
}

void QtTour::finishStep() {
    if (stepShapes().at(current_->words[0]).acts) {
        settling_ = true;
        settleUntil_ = Clock::now() + kSettle;
    } else {
        current_ = nullptr;
    }
}

void QtTour::finish(int status) {
    ticker_.stop();
    status_ = status;
    next_ = steps_.size() + 1;
    current_ = nullptr;
    progress_ << (status == 0 ? "tour passed: " : "tour failed: ") << scriptName_ << " ("
              << screenshotCount_ << " screenshots in " << screenshots_.string() << ")\n";
    QCoreApplication::exit(status);
}

void QtTour::screenshot(const std::string& name) {
    QtWindow* window = backend_.window();
    if (!window)
        fail("there is no window to take a screenshot of");
    auto path = screenshots_ / name;
    if (!window->screenshot().save(QString::fromStdString(path.string()), "PNG"))
        fail("cannot write " + path.string());
    ++screenshotCount_;
}

std::shared_ptr<UIViewController> QtTour::visibleScreen() const {
    auto delegate = UIApplication::sharedApplication().delegate();
    auto window = delegate ? delegate->window() : nullptr;
    auto screen = window ? window->rootViewController() : nullptr;
    if (!screen)
        fail("the application shows no screen yet");
    while (auto presented = screen->presentedViewController()) {
        if (std::dynamic_pointer_cast<UIAlertController>(presented))
            break;
        screen = presented;
    }
    return screen;
}

std::shared_ptr<UIView> QtTour::findView(const std::string& selector) const {
    auto views = viewsOf(*visibleScreen());
    auto matching = [&](const std::function<bool(const FoundView&)>& test) {
        std::vector<std::shared_ptr<UIView>> matches;
        for (const auto& found : views) {
            if (test(found))
                matches.push_back(found.view);
        }
        return pickOne(std::move(matches), selector);
    };
    auto colon = selector.find(':');
    std::string kind = colon == std::string::npos ? "" : selector.substr(0, colon);
    std::string value = colon == std::string::npos ? selector : selector.substr(colon + 1);
    auto byId = [&] {
        return matching([&](const FoundView& f) { return f.view->identifier() == value; });
    };
    auto byTitle = [&] {
        return matching(
            [&](const FoundView& f) { return !value.empty() && textOf(*f.view) == value; });
    };
    auto byOutlet = [&] {
        return matching(
            [&](const FoundView& f) { return f.description && f.description->outlet == value; });
    };
    std::shared_ptr<UIView> view;
    if (kind == "tag") {
        long long tag = std::llround(number(value, "a tag"));
        view = matching([&](const FoundView& f) {
            return dynamic_cast<UIButton*>(f.view.get()) && f.view->tag() == tag;
        });
    } else if (kind == "id") {
        view = byId();
    } else if (kind == "title") {
        view = byTitle();
    } else if (kind == "outlet") {
        view = byOutlet();
    } else {
        value = selector;
        view = byId();
        if (!view)
            view = byTitle();
        if (!view)
            view = byOutlet();
    }
    if (!view)
        fail("no view '" + selector + "' on screen " + visibleScreen()->identifier());
    return view;
}

std::shared_ptr<UIView> QtTour::findNavigation(const std::string& target) const {
    auto screen = visibleScreen();
    std::vector<std::shared_ptr<UIView>> matches;
    for (const auto& found : viewsOf(*screen)) {
        if (found.description && found.description->navigate == target)
            matches.push_back(found.view);
    }
    auto view = pickOne(std::move(matches), target);
    if (!view)
        fail("screen " + screen->identifier() + " has no button leading to '" + target + "'");
    return view;
}

void QtTour::tap(const std::shared_ptr<UIView>& view, const std::string& what) {
    QtWindow* window = backend_.window();
    if (window && window->alertDialog())
        fail("an alert covers the screen: answer it before tapping " + what);
    auto* peer = dynamic_cast<QtViewPeer*>(view->peer());
    auto* button = peer ? dynamic_cast<QPushButton*>(&peer->widget()) : nullptr;
    if (!button)
        fail(what + " is not a button on the screen");
    if (!button->isVisible() || !button->isEnabled())
        fail(what + " cannot be tapped: it is hidden or disabled");
    button->click();
}

void QtTour::drawProgress(const std::string& tag, double fraction) {
    constexpr int kWidth = 30;
    int filled = int(std::lround(std::clamp(fraction, 0.0, 1.0) * kWidth));
    progress_ << "\r  " << tag << " [" << std::string(filled, '#')
              << std::string(kWidth - filled, ' ') << "] " << std::lround(fraction * 100) << "%"
              << std::flush;
}

void QtTour::execute(const ScenarioStep& step) {
    const auto& words = step.words;
    const std::string& name = words[0];
    QtWindow* window = backend_.window();
    if (name == "launch") {
        visibleScreen();
    } else if (name == "go") {
        tap(findNavigation(words[1]), "the button to " + words[1]);
        std::string target = words[1];
        waitFor("screen " + target, kExpectSeconds,
                [this, target] { return visibleScreen()->identifier() == target; });
    } else if (name == "back") {
        tap(findNavigation("back"), "the back button");
    } else if (name == "tap") {
        tap(findView(words[1]), words[1]);
    } else if (name == "download") {
        if (words[2] != "wait")
            fail("on the real platform a download can only be waited for: download TAG wait");
        std::shared_ptr<UIProgressView> bar;
        for (const auto& found : viewsOf(*visibleScreen())) {
            if (auto progressView = std::dynamic_pointer_cast<UIProgressView>(found.view))
                bar = progressView;
        }
        if (!bar)
            fail("screen " + visibleScreen()->identifier() + " has no progress bar");
        std::string tag = words[1];
        // The bar is hidden once the request has completed.
        waitFor(
            "the " + tag + " download", kDownloadSeconds,
            [this, bar, tag] {
                if (!bar->isHidden())
                    return false;
                progress_ << "\n";
                return true;
            },
            [this, bar, tag] { drawProgress(tag, bar->progress()); });
    } else if (name == "alert") {
        QtAlertDialog* dialog = window ? window->alertDialog() : nullptr;
        if (!dialog)
            fail("no alert is up");
        const std::string& action = words[1];
        if (action == "type" || action == "answer") {
            std::size_t field =
                action == "type" && words.size() > 3 ? std::size_t(number(words[3], "a field")) : 0;
            if (field >= dialog->textFields().size())
                fail("the alert has no text field " + std::to_string(field));
            std::string text = action == "answer" ? answerTo(dialog->alert()->title().value_or(""))
                                                  : (words.size() > 2 ? words[2] : "");
            dialog->textFields()[field]->setText(QString::fromStdString(text));
        } else if (action == "choose" && words.size() == 3) {
            auto& buttons = dialog->buttons();
            auto found = std::find_if(buttons.begin(), buttons.end(), [&](QPushButton* button) {
                return button->text().toStdString() == words[2];
            });
            if (found == buttons.end())
                fail("the alert has no action '" + words[2] + "'");
            (*found)->click();
        } else {
            fail("usage: " + std::string(stepShapes().at("alert").usage));
        }
    } else if (name == "video") {
        if (!window || !window->playerScreen())
            fail("no player is up");
        if (words[1] == "wait-end") {
            waitFor("the video to play to its end and close", kVideoSeconds,
                    [window] { return window->playerScreen() == nullptr; });
        } else if (words[1] == "close") {
            window->playerScreen()->doneButton()->click();
        } else {
            fail("usage: " + std::string(stepShapes().at("video").usage));
        }
    } else if (name == "scroll") {
        auto scroll = std::dynamic_pointer_cast<UIScrollView>(findView(words[1]));
        if (!scroll)
            fail("'" + words[1] + "' is not a scroll view");
        scroll->setContentOffset({number(words[2], "X"), number(words[3], "Y")});
    } else if (name == "wait") {
        double seconds = number(words[1], "SECONDS");
        auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
        waitFor(words[1] + " s", seconds + 1, [until] { return Clock::now() >= until; });
    } else if (name == "expect") {
        expect(words);
    }
}

void QtTour::expect(const std::vector<std::string>& words) {
    const std::string& kind = words[1];
    std::string argument = words.size() > 2 ? words[2] : "";
    QtWindow* window = backend_.window();
    auto alertIs = [window](const std::string& title, const std::optional<std::string>& message) {
        QtAlertDialog* dialog = window ? window->alertDialog() : nullptr;
        return dialog && dialog->alert()->title().value_or("") == title &&
               (!message || dialog->alert()->message().value_or("") == *message);
    };
    if (kind == "screen") {
        waitFor("screen " + argument, kExpectSeconds,
                [this, argument] { return visibleScreen()->identifier() == argument; });
    } else if (kind == "alert") {
        std::optional<std::string> message;
        if (words.size() > 3)
            message = words[3];
        waitFor("the alert \"" + argument + "\"", kExpectSeconds,
                [alertIs, argument, message] { return alertIs(argument, message); });
    } else if (kind == "no-alert") {
        waitFor("no alert", kExpectSeconds, [window] { return !window->alertDialog(); });
    } else if (kind == "player") {
        waitFor("the player of " + argument, kExpectSeconds, [window, argument] {
            auto* player = window->playerScreen();
            if (!player || !player->controller()->player())
                return false;
            const auto& url = player->controller()->player()->currentItem()->url();
            return url && std::filesystem::path(url->path()).filename() == argument;
        });
    } else if (kind == "no-player") {
        waitFor("no player", kExpectSeconds, [window] { return !window->playerScreen(); });
    } else if (kind == "log") {
        waitFor("the debug-log line " + argument, kExpectSeconds, [this, argument] {
            std::lock_guard lock(logMutex_);
            if (log_.empty())
                return false;
            if (log_.front() != argument)
                fail("the next debug-log line is: " + log_.front());
            log_.pop_front();
            return true;
        });
    } else if (kind == "text" && words.size() == 4) {
        auto view = findView(argument);
        std::string expected = words[3];
        waitFor("the text \"" + expected + "\"", kExpectSeconds,
                [view, expected] { return textOf(*view) == expected; });
    } else if (kind == "hidden" || kind == "shown") {
        auto view = findView(argument);
        bool hidden = kind == "hidden";
        waitFor(argument + " " + kind, kExpectSeconds,
                [view, hidden] { return isEffectivelyVisible(view) != hidden; });
    } else {
        fail("the tour cannot check 'expect " + kind + "'");
    }
}
