#pragma once

#include <QTimer>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "scenario/ScenarioScript.h"

class QtBackend;
class UIView;
class UIViewController;

// The guided tour: plays a scenario (the scripted-run language of
// docs/scenarios.md) on the Qt backend, in real time, against the real
// widgets, and writes a PNG screenshot after every step into a folder.
// Downloads draw a progress bar on `progress`. Steps that would force time or
// outcomes on the headless backend wait for the real thing instead:
// `download TAG wait`, `video wait-end`; `alert answer` types the result of
// the arithmetic question an alert asks.
class QtTour {
public:
    QtTour(QtBackend& backend, std::vector<ScenarioStep> steps, std::string scriptName,
           std::filesystem::path screenshots, std::ostream& progress);
    ~QtTour();

    // Checks every step's name and arguments before the application starts;
    // throws ScenarioError naming the line at fault.
    void validate() const;
    // The launch screen, shown before start-up blocks the main thread.
    void captureLaunchScreen();
    // Plays the steps inside the event loop, which it ends with 0 when every step passed
    // and 1 at the first that failed.
    void start();

    // Feeds the debug log, which the tour reads for `expect log`.
    void logLine(const std::string& line);
    void urlOpened(const std::string& url);
    int screenshotCount() const { return screenshotCount_; }
    // 0 when every step passed, 1 after a failure, -1 while the tour has not ended.
    int status() const { return status_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Wait {
        std::function<bool()> done;
        Clock::time_point deadline;
        std::string what;
        std::function<void()> onTick;
    };

    void tick();
    void execute(const ScenarioStep& step);
    void expect(const std::vector<std::string>& words);
    void waitFor(std::string what, double seconds, std::function<bool()> done,
                 std::function<void()> onTick = nullptr);
    void finishStep();
    void screenshot(const std::string& name);
    void finish(int status);

    std::shared_ptr<UIViewController> visibleScreen() const;
    std::shared_ptr<UIView> findView(const std::string& selector) const;
    std::shared_ptr<UIView> findNavigation(const std::string& target) const;
    void tap(const std::shared_ptr<UIView>& view, const std::string& what);
    void drawProgress(const std::string& tag, double fraction);

    QtBackend& backend_;
    std::vector<ScenarioStep> steps_;
    std::string scriptName_;
    std::filesystem::path screenshots_;
    std::ostream& progress_;
    QTimer ticker_;
    std::size_t next_ = 0;
    const ScenarioStep* current_ = nullptr;
    std::unique_ptr<Wait> wait_;
    Clock::time_point settleUntil_;
    bool settling_ = false;
    int screenshotCount_ = 0;
    int status_ = -1;
    std::mutex logMutex_;
    std::deque<std::string> log_;
    std::deque<std::string> urls_;
};
