#include "scenario/ScenarioRunner.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/AVPlayer.h"
#include "platform/DebugLog.h"
#include "platform/NSURL.h"
#include "platform/Storyboard.h"
#include "platform/UIAlertController.h"
#include "platform/UIApplication.h"
#include "platform/UIView.h"
#include "platform/sim/SimBackend.h"
#include "platform/sim/SimResourceService.h"
#include "scenario/ScreenReport.h"
#include "scenario/ViewQuery.h"

namespace {

// Wrong arguments: the runner answers with the step's usage.
class UsageError : public ScenarioError {
public:
    UsageError() : ScenarioError("wrong arguments") {}
};

std::shared_ptr<UIView> pickOne(std::vector<std::shared_ptr<UIView>> matches,
                                const std::string& selector) {
    if (matches.size() > 1)
        std::erase_if(matches, [](const auto& view) { return !isEffectivelyVisible(view); });
    if (matches.size() > 1)
        ScenarioRunner::fail("'" + selector + "' matches " + std::to_string(matches.size()) +
                             " visible views");
    return matches.empty() ? nullptr : matches.front();
}

}  // namespace

ScenarioRunner::ScenarioRunner(SimBackend& sim, SimResourceService& resources,
                               std::function<void()> launch, std::ostream& out)
    : sim_(sim), resources_(resources), launch_(std::move(launch)), out_(out) {
    addBuiltInSteps();
    addBuiltInExpectations();
}

void ScenarioRunner::addStep(const std::string& name, const std::string& usage, Handler handler,
                             bool acts) {
    steps_[name] = {usage, std::move(handler), acts};
}

void ScenarioRunner::addExpectation(const std::string& kind, const std::string& usage,
                                    Handler handler) {
    expectations_[kind] = {usage, std::move(handler), false};
}

void ScenarioRunner::fail(const std::string& message) {
    throw ScenarioError(message);
}

void ScenarioRunner::requireArguments(const Arguments& arguments, std::size_t min,
                                      std::size_t max) {
    if (arguments.size() < min || arguments.size() > max)
        throw UsageError();
}

double ScenarioRunner::number(const std::string& word, const std::string& what) {
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value))
        fail(what + " must be a number, not '" + word + "'");
    return value;
}

long long ScenarioRunner::integer(const std::string& word, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno == ERANGE)
        fail(what + " must be a whole number, not '" + word + "'");
    return value;
}

bool ScenarioRunner::run(std::istream& script, const std::string& name, std::ostream& errors) {
    setDebugLogSink([this](const std::string& line) {
        out_ << line << "\n";
        log_.push_back(line);
    });
    bool passed = false;
    current_ = nullptr;
    try {
        script_ = parseScenario(script);
        for (const auto& step : script_)
            check(step);
        runFrom(0);
        if (!finished_)
            fail("the application ended before the scenario did");
        passed = true;
    } catch (const std::exception& error) {
        out_.flush();
        errors << name;
        if (current_)
            errors << ":" << current_->line << ": " << current_->text << "\n  failed: ";
        else
            errors << ": ";
        errors << error.what() << "\n";
    }
    setDebugLogSink(nullptr);
    if (passed)
        out_ << "scenario passed: " << name << "\n";
    out_.flush();
    return passed;
}

void ScenarioRunner::check(const ScenarioStep& step) const {
    const std::string& name = step.words.front();
    if (name == "launch" || steps_.count(name))
        return;
    if (name == "expect" && step.words.size() >= 2 && expectations_.count(step.words[1]))
        return;
    throw ScenarioError("line " + std::to_string(step.line) + ": unknown step '" + step.text + "'");
}

void ScenarioRunner::runFrom(std::size_t index) {
    for (; index < script_.size(); ++index) {
        const ScenarioStep& step = script_[index];
        current_ = &step;
        out_ << "> " << step.text << "\n";
        if (step.words.front() == "launch") {
            if (launched_)
                fail("the application is already running");
            launched_ = true;
            std::size_t next = index + 1;
            sim_.setApplicationDriver([this, next] {
                printState();
                runFrom(next);
            });
            launch_();
            return;
        }
        execute(step);
    }
    finished_ = true;
}

void ScenarioRunner::execute(const ScenarioStep& step) {
    bool expectation = step.words.front() == "expect";
    const Step& entry = expectation ? expectations_.at(step.words[1]) : steps_.at(step.words[0]);
    Arguments arguments(step.words.begin() + (expectation ? 2 : 1), step.words.end());
    try {
        entry.handler(*this, arguments);
    } catch (const UsageError&) {
        fail("usage: " + entry.usage);
    }
    if (entry.acts) {
        sim_.runUntilIdle();
        printState();
    }
}

void ScenarioRunner::requireLaunched() const {
    if (!sim_.rootViewController())
        fail("the application has not been launched");
}

std::shared_ptr<UIViewController> ScenarioRunner::visibleScreen() const {
    auto screen = sim_.rootViewController();
    if (!screen)
        return nullptr;
    std::shared_ptr<UIViewController> visible = screen;
    for (auto next = screen->presentedViewController(); next;
         next = next->presentedViewController()) {
        if (!dynamic_cast<UIAlertController*>(next.get()))
            visible = next;
    }
    return visible;
}

std::shared_ptr<UIView> ScenarioRunner::findView(const std::string& selector) const {
    requireLaunched();
    auto screen = visibleScreen();
    auto views = viewsOf(*screen);
    auto matching = [&](const std::function<bool(const FoundView&)>& test) {
        std::vector<std::shared_ptr<UIView>> matches;
        for (const auto& found : views) {
            if (test(found))
                matches.push_back(found.view);
        }
        return pickOne(std::move(matches), selector);
    };
    auto byId = [&](const std::string& id) {
        return matching([&](const FoundView& f) { return f.view->identifier() == id; });
    };
    auto byTitle = [&](const std::string& text) {
        return matching(
            [&](const FoundView& f) { return !text.empty() && textOf(*f.view) == text; });
    };
    auto byOutlet = [&](const std::string& outlet) {
        return matching(
            [&](const FoundView& f) { return f.description && f.description->outlet == outlet; });
    };
    std::shared_ptr<UIView> view;
    auto colon = selector.find(':');
    std::string kind = colon == std::string::npos ? "" : selector.substr(0, colon);
    std::string value = colon == std::string::npos ? selector : selector.substr(colon + 1);
    if (kind == "tag") {
        long long tag = integer(value, "a tag");
        view = matching([&](const FoundView& f) {
            return dynamic_cast<UIButton*>(f.view.get()) && f.view->tag() == tag;
        });
    } else if (kind == "outlet") {
        view = byOutlet(value);
    } else if (kind == "id") {
        view = byId(value);
    } else if (kind == "title") {
        view = byTitle(value);
    } else {
        view = byId(selector);
        if (!view)
            view = byTitle(selector);
        if (!view)
            view = byOutlet(selector);
    }
    if (!view)
        fail("no view '" + selector + "' on screen " + screen->identifier() + " (" +
             screen->className() + ")");
    return view;
}

std::shared_ptr<UIView> ScenarioRunner::findNavigation(const std::string& target) const {
    requireLaunched();
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

void ScenarioRunner::tap(const std::shared_ptr<UIView>& view, const std::string& what) {
    if (sim_.visibleAlert())
        fail("an alert covers the screen: answer it before tapping " + what);
    auto button = std::dynamic_pointer_cast<UIButton>(view);
    if (!button)
        fail(what + " is not a button");
    if (!sim_.tap(button))
        fail(what + " cannot be tapped: it is hidden or disabled");
}

void ScenarioRunner::collectOpenedURLs() {
    const auto& opened = sim_.openedURLs();
    for (; urlsSeen_ < opened.size(); ++urlsSeen_) {
        out_ << "| opened " << opened[urlsSeen_] << "\n";
        urls_.push_back(opened[urlsSeen_]);
    }
}

void ScenarioRunner::printState() {
    collectOpenedURLs();
    if (auto screen = visibleScreen())
        reportScreen(out_, *screen);
    if (auto alert = sim_.visibleAlert())
        reportAlert(out_, *alert);
}
