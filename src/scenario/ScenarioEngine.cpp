#include "scenario/ScenarioEngine.h"

#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "scenario/ViewQuery.h"

ScenarioEngine::ScenarioEngine(ScenarioDriver& driver, std::ostream& transcript,
                               std::ostream& errors)
    : driver_(driver), transcript_(transcript), errors_(errors) {
    addActingSteps(steps_);
    addExpectations(steps_);
    driver_.attach(*this);
}

std::string ScenarioEngine::formOf(const std::vector<std::string>& words) {
    const std::string& name = words.front();
    if (name == "download")
        return words.size() >= 3 ? name + " " + words[2] : name;
    if (name == "alert" || name == "video" || name == "expect")
        return words.size() >= 2 ? name + " " + words[1] : name;
    return name;
}

bool ScenarioEngine::load(std::istream& script, const std::string& name) {
    name_ = name;
    try {
        script_ = parseScenario(script);
        for (const auto& step : script_) {
            auto at = "line " + std::to_string(step.line) + ": ";
            auto found = steps_.find(formOf(step.words));
            if (found == steps_.end()) {
                std::string usages;
                for (const auto& [form, entry] : steps_) {
                    if (form.rfind(step.words.front() + " ", 0) == 0)
                        usages += std::string(usages.empty() ? "" : " | ") + entry.usage;
                }
                failStep(at + (usages.empty() ? "unknown step '" + step.text + "'"
                                              : "usage: " + usages));
            }
            const Step& entry = found->second;
            std::size_t arguments = step.words.size() - 1;
            if (arguments < entry.minArguments || arguments > entry.maxArguments)
                failStep(at + "usage: " + entry.usage);
            if (!(entry.backends & unsigned(driver_.backend())))
                failStep(at + "'" + step.text + "' runs only on the " +
                         (driver_.backend() == ScenarioBackend::qt ? "headless" : "Qt") +
                         " backend: " + entry.usage);
        }
    } catch (const ScenarioError& error) {
        errors_ << name_ << ": " << error.what() << "\n";
        return false;
    }
    return true;
}

void ScenarioEngine::start() {
    phase_ = Phase::running;
    pump();
}

void ScenarioEngine::resume() {
    try {
        if (phase_ == Phase::waiting && !afterWait())
            return;
        if (phase_ == Phase::settling)
            phase_ = Phase::running;
    } catch (const std::exception& error) {
        finish(false, error.what());
        return;
    }
    pump();
}

void ScenarioEngine::abort(const std::string& message) {
    if (phase_ != Phase::finished)
        finish(false, message);
}

void ScenarioEngine::pump() {
    try {
        while (phase_ == Phase::running && runNextStep()) {
        }
    } catch (const std::exception& error) {
        finish(false, error.what());
    }
}

// Runs one step; false when the run has to wait or has ended.
bool ScenarioEngine::runNextStep() {
    if (next_ == script_.size()) {
        finish(true);
        return false;
    }
    current_ = &script_[next_++];
    transcript_ << "> " << current_->text << "\n";
    phase_ = Phase::waiting;
    bool done;
    if (current_->words.front() == "launch") {
        if (visibleScreen() && driver_.backend() == ScenarioBackend::headless)
            failStep("the application is already running");
        done = driver_.launch();
    } else {
        Arguments arguments(current_->words.begin() + 1, current_->words.end());
        auto wait = stepOf(*current_).handler(*this, arguments);
        done = !wait || driver_.await(*wait);
    }
    // A driver may have resumed the engine, or ended the run, from inside the call.
    if (phase_ != Phase::waiting || !done)
        return false;
    return afterWait();
}

bool ScenarioEngine::afterWait() {
    if (stepOf(*current_).acts) {
        phase_ = Phase::settling;
        if (!driver_.settle(*current_))
            return false;
    }
    phase_ = Phase::running;
    return true;
}

const ScenarioEngine::Step& ScenarioEngine::stepOf(const ScenarioStep& step) const {
    return steps_.at(formOf(step.words));
}

void ScenarioEngine::finish(bool passed, const std::string& message) {
    if (phase_ == Phase::finished)
        return;
    phase_ = Phase::finished;
    passed_ = passed;
    if (!passed) {
        transcript_.flush();
        errors_ << name_;
        if (current_)
            errors_ << ":" << current_->line << ": " << current_->text << "\n  failed: ";
        else
            errors_ << ": ";
        errors_ << message << "\n";
    }
    driver_.finished(passed, name_);
}

void ScenarioEngine::logLine(const std::string& line) {
    std::lock_guard lock(logMutex_);
    log_.push_back(line);
}

void ScenarioEngine::urlOpened(const std::string& url) {
    std::lock_guard lock(logMutex_);
    urls_.push_back(url);
}

std::optional<std::string> ScenarioEngine::unmatchedLogLine() {
    std::lock_guard lock(logMutex_);
    return log_.empty() ? std::nullopt : std::optional(log_.front());
}

void ScenarioEngine::matchLogLine() {
    std::lock_guard lock(logMutex_);
    log_.pop_front();
}

std::optional<std::string> ScenarioEngine::unmatchedURL() {
    std::lock_guard lock(logMutex_);
    return urls_.empty() ? std::nullopt : std::optional(urls_.front());
}

void ScenarioEngine::matchURL() {
    std::lock_guard lock(logMutex_);
    urls_.pop_front();
}

std::shared_ptr<UIViewController> ScenarioEngine::visibleScreen() const {
    return topScreen();
}

std::shared_ptr<UIView> ScenarioEngine::findView(const std::string& selector) const {
    auto screen = visibleScreen();
    if (!screen)
        failStep("the application has not been launched");
    return findViewOn(*screen, selector);
}

std::shared_ptr<UIView> ScenarioEngine::findNavigation(const std::string& target) const {
    auto screen = visibleScreen();
    if (!screen)
        failStep("the application has not been launched");
    return findNavigationOn(*screen, target);
}

void ScenarioEngine::tap(const std::shared_ptr<UIView>& view, const std::string& what) {
    if (driver_.visibleAlert())
        failStep("an alert covers the screen: answer it before tapping " + what);
    auto button = std::dynamic_pointer_cast<UIButton>(view);
    if (!button)
        failStep(what + " is not a button");
    if (!driver_.tap(button))
        failStep(what + " cannot be tapped: it is hidden or disabled");
}
