#pragma once

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>

#include "scenario/ScenarioDriver.h"

class QtBackend;

// Drives the Qt backend in real time, against the real widgets: waits are polled
// on the event loop until they hold or their time runs out, and after each step
// that acts the window settles and a PNG screenshot is written into a folder.
class QtScenarioDriver : public ScenarioDriver {
public:
    QtScenarioDriver(QtBackend& backend, std::filesystem::path screenshots, std::ostream& progress);

    // Starts the engine on the event loop; call once the application runs.
    void start();
    // The launch screen, shown before start-up blocks the main thread.
    void captureLaunchScreen();

    ScenarioBackend backend() const override { return ScenarioBackend::qt; }
    bool launch() override;
    std::shared_ptr<UIAlertController> visibleAlert() const override;
    std::shared_ptr<AVPlayerViewController> visiblePlayer() const override;
    bool tap(const std::shared_ptr<UIButton>& button) override;
    void typeIntoAlert(const std::string& text, std::size_t field) override;
    bool chooseAlertAction(const std::string& title) override;
    bool closePlayer() override;
    bool chooseCaptions(const std::optional<std::string>& language) override;
    std::string shownCaption() const override;
    void scroll(const std::shared_ptr<UIScrollView>& view, CGPoint offset) override;
    bool await(const ScenarioWait& wait) override;
    bool settle(const ScenarioStep& step) override;
    void finished(bool passed, const std::string& scriptName) override;

private:
    using Clock = std::chrono::steady_clock;
    void tick();
    void screenshot(const std::string& name);

    QtBackend& backend_;
    std::filesystem::path screenshots_;
    std::ostream& progress_;
    QTimer ticker_;
    std::optional<ScenarioWait> wait_;
    Clock::time_point deadline_;
    std::optional<std::string> settling_;
    int screenshotCount_ = 0;
};
