#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "scenario/ScenarioDriver.h"
#include "scenario/ScenarioScript.h"

class UIView;
class UIViewController;

// Plays a scenario (docs/scenarios.md) through a driver: each step acts on the
// application as a reader or the platform would, or checks what it shows. A step
// either completes at once or waits; the driver resolves the wait in its own
// time (a virtual clock, or real time on an event loop) and resumes the engine.
// The first failed step ends the run with "NAME:LINE: STEP" and the reason.
class ScenarioEngine {
public:
    using Arguments = std::vector<std::string>;

    // `transcript` takes the echoed steps; `errors` the failure.
    ScenarioEngine(ScenarioDriver& driver, std::ostream& transcript, std::ostream& errors);

    // Reads the whole script and checks every step's name, arguments and backend.
    // On a fault writes "NAME: line N: ..." to `errors` and returns false.
    bool load(std::istream& script, const std::string& name);
    // Runs steps until one waits; the driver then calls resume() or abort().
    void start();
    void resume();
    void abort(const std::string& message);
    bool finished() const { return phase_ == Phase::finished; }
    bool passed() const { return passed_; }

    // What the application writes and opens, for `expect log` and `expect opened`;
    // the log may come from any thread.
    void logLine(const std::string& line);
    void urlOpened(const std::string& url);

    // For steps: the driver, the transcript, and the views of the visible screen.
    ScenarioDriver& driver() const { return driver_; }
    std::ostream& transcript() const { return transcript_; }
    std::shared_ptr<UIViewController> visibleScreen() const;
    std::shared_ptr<UIView> findView(const std::string& selector) const;
    std::shared_ptr<UIView> findNavigation(const std::string& target) const;
    void tap(const std::shared_ptr<UIView>& view, const std::string& what);
    // The oldest debug-log line and opened URL not yet matched by an expectation.
    std::optional<std::string> unmatchedLogLine();
    void matchLogLine();
    std::optional<std::string> unmatchedURL();
    void matchURL();

    // A step's form: its name, or its name and the word that picks the form
    // ("download TAG finish" is "download finish").
    using Handler = std::function<std::optional<ScenarioWait>(ScenarioEngine&, const Arguments&)>;
    struct Step {
        std::size_t minArguments, maxArguments;
        const char* usage;
        unsigned backends;
        bool acts;
        Handler handler;
    };
    static std::string formOf(const std::vector<std::string>& words);

private:
    enum class Phase { idle, running, waiting, settling, finished };

    const Step& stepOf(const ScenarioStep& step) const;
    void pump();
    bool runNextStep();
    bool afterWait();
    void finish(bool passed, const std::string& message = {});

    ScenarioDriver& driver_;
    std::ostream& transcript_;
    std::ostream& errors_;
    std::map<std::string, Step> steps_;
    std::vector<ScenarioStep> script_;
    std::string name_;
    std::size_t next_ = 0;
    const ScenarioStep* current_ = nullptr;
    Phase phase_ = Phase::idle;
    bool passed_ = false;
    std::mutex logMutex_;
    std::deque<std::string> log_;
    std::deque<std::string> urls_;
};

// The step table, grouped by what the steps do (ScenarioSteps.cpp, ScenarioExpectations.cpp).
void addActingSteps(std::map<std::string, ScenarioEngine::Step>& steps);
void addExpectations(std::map<std::string, ScenarioEngine::Step>& steps);
