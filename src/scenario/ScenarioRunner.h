#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "scenario/ScenarioScript.h"

class SimBackend;
class SimResourceService;
class UIView;
class UIViewController;

// Plays a scenario on the sim backend: each step drives the interface or the
// platform (taps, downloads, alerts, videos, the virtual clock) or checks what
// is shown. The debug log is written as it comes, and after each acting step
// the visible screen and any alert are printed. The first failed step stops
// the run with a message naming the script and line.
//
// New steps plug in with addStep / addExpectation and use the helpers below
// (findView, visibleScreen, fail), so a subsystem adds its own cheaply.
class ScenarioRunner {
public:
    using Arguments = std::vector<std::string>;
    using Handler = std::function<void(ScenarioRunner& runner, const Arguments& arguments)>;

    // `launch` runs the application loop (UIApplicationMain); the runner
    // goes on with the steps after "launch" once the first screen is up.
    ScenarioRunner(SimBackend& sim, SimResourceService& resources, std::function<void()> launch,
                   std::ostream& out);

    // A step "NAME ARGUMENTS"; after one that acts, the main queue is drained
    // and the interface printed. `usage` is shown when the arguments are wrong.
    void addStep(const std::string& name, const std::string& usage, Handler handler,
                 bool acts = true);
    // A check "expect KIND ARGUMENTS".
    void addExpectation(const std::string& kind, const std::string& usage, Handler handler);

    // Plays the script. On failure writes "NAME:LINE: message" to `errors`
    // and returns false. The debug log goes to `out` while the script runs.
    bool run(std::istream& script, const std::string& name, std::ostream& errors);

    // Helpers for steps.
    SimBackend& sim() const { return sim_; }
    SimResourceService& resources() const { return resources_; }
    std::ostream& out() const { return out_; }
    [[noreturn]] static void fail(const std::string& message);
    // Fails unless the application has reached its first screen.
    void requireLaunched() const;
    // The topmost screen that is not an alert (a player screen included).
    std::shared_ptr<UIViewController> visibleScreen() const;
    // A view of the visible screen: "tag:N" (a button), "outlet:NAME",
    // "id:NAME", "title:TEXT" (button title or label text), or a bare word
    // tried as id, then title, then outlet. Fails when none or several match.
    std::shared_ptr<UIView> findView(const std::string& selector) const;
    template <typename View>
    std::shared_ptr<View> findViewAs(const std::string& selector, const char* kind) const {
        auto view = std::dynamic_pointer_cast<View>(findView(selector));
        if (!view)
            fail("'" + selector + "' is not a " + kind);
        return view;
    }
    // The button whose description navigates to `target` ("back" included).
    std::shared_ptr<UIView> findNavigation(const std::string& target) const;
    // Taps a button as a reader would; fails when an alert covers the screen
    // or the button is hidden or disabled.
    void tap(const std::shared_ptr<UIView>& button, const std::string& what);
    // Debug-log lines and opened URLs not yet matched by an expectation, oldest first.
    std::deque<std::string>& unmatchedLog() { return log_; }
    std::deque<std::string>& unmatchedURLs() { return urls_; }

    // Fails with the step's usage unless there are `min` to `max` arguments.
    static void requireArguments(const Arguments& arguments, std::size_t min, std::size_t max);
    static double number(const std::string& word, const std::string& what);
    static long long integer(const std::string& word, const std::string& what);

    void printState();

private:
    struct Step {
        std::string usage;
        Handler handler;
        bool acts;
    };

    void addBuiltInSteps();
    void addBuiltInExpectations();
    void check(const ScenarioStep& step) const;
    void runFrom(std::size_t index);
    void execute(const ScenarioStep& step);
    void collectOpenedURLs();

    SimBackend& sim_;
    SimResourceService& resources_;
    std::function<void()> launch_;
    std::ostream& out_;
    std::map<std::string, Step> steps_;
    std::map<std::string, Step> expectations_;
    std::vector<ScenarioStep> script_;
    const ScenarioStep* current_ = nullptr;
    bool launched_ = false;
    bool finished_ = false;
    std::deque<std::string> log_;
    std::deque<std::string> urls_;
    std::size_t urlsSeen_ = 0;
};
