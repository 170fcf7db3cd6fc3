#pragma once

#include <functional>
#include <ostream>

#include "scenario/ScenarioDriver.h"

class SimBackend;
class SimResourceService;

// Drives the headless backend: waits are resolved on its virtual clock, and
// outcomes the real platform decides (downloads, a video's end, the random
// source) are forced by the script. After each step that acts, the main queue
// is drained and the visible interface printed.
class SimScenarioDriver : public ScenarioDriver {
public:
    // `launch` runs the application loop (UIApplicationMain).
    SimScenarioDriver(SimBackend& sim, SimResourceService& resources, std::function<void()> launch,
                      std::ostream& out);

    ScenarioBackend backend() const override { return ScenarioBackend::headless; }
    bool launch() override;
    std::shared_ptr<UIAlertController> visibleAlert() const override;
    std::shared_ptr<AVPlayerViewController> visiblePlayer() const override;
    bool tap(const std::shared_ptr<UIButton>& button) override;
    void typeIntoAlert(const std::string& text, std::size_t field) override;
    bool chooseAlertAction(const std::string& title) override;
    bool closePlayer() override;
    void scroll(const std::shared_ptr<UIScrollView>& view, CGPoint offset) override;
    bool await(const ScenarioWait& wait) override;
    bool settle(const ScenarioStep& step) override;
    void finished(bool passed, const std::string& scriptName) override;

    void installPack(const std::string& tag) override;
    void queueRandomDraws(const std::vector<std::uint32_t>& draws) override;
    void setDownloadProgress(const std::string& tag, double fraction) override;
    void completeDownload(const std::string& tag, long code) override;
    void offerEdition(const std::string& tag, std::uint64_t edition, std::uint64_t bytes) override;
    void damagePack(const std::string& tag, const std::string& file) override;
    bool finishVideo() override;

private:
    void printState();
    std::vector<std::size_t> pendingDownloads(const std::string& tag) const;

    SimBackend& sim_;
    SimResourceService& resources_;
    std::function<void()> launch_;
    std::ostream& out_;
    std::size_t urlsSeen_ = 0;
    bool launched_ = false;
};
