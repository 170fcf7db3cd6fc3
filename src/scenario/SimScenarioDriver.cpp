#include "scenario/SimScenarioDriver.h"

#include "backends/sim/SimBackend.h"
#include "backends/sim/SimResourceService.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/ScreenReport.h"
#include "scenario/ViewQuery.h"

SimScenarioDriver::SimScenarioDriver(SimBackend& sim, SimResourceService& resources,
                                     std::function<void()> launch, std::ostream& out)
    : sim_(sim), resources_(resources), launch_(std::move(launch)), out_(out) {}

bool SimScenarioDriver::launch() {
    // The launch runs the rest of the script from inside the application loop,
    // once the first screen is up, where a real run would enter its event loop.
    sim_.setApplicationDriver([this] {
        launched_ = true;
        engine().resume();
    });
    launch_();
    if (!launched_)
        engine().abort("the application ended before the scenario did");
    return false;
}

std::shared_ptr<UIAlertController> SimScenarioDriver::visibleAlert() const {
    return sim_.visibleAlert();
}

std::shared_ptr<AVPlayerViewController> SimScenarioDriver::visiblePlayer() const {
    return sim_.visiblePlayer();
}

bool SimScenarioDriver::tap(const std::shared_ptr<UIButton>& button) {
    return sim_.tap(button);
}

void SimScenarioDriver::typeIntoAlert(const std::string& text, std::size_t field) {
    sim_.typeIntoAlertTextField(text, field);
}

bool SimScenarioDriver::chooseAlertAction(const std::string& title) {
    return sim_.chooseAlertAction(title);
}

bool SimScenarioDriver::closePlayer() {
    return sim_.closePlayer();
}

void SimScenarioDriver::scroll(const std::shared_ptr<UIScrollView>& view, CGPoint offset) {
    sim_.scroll(view, offset.x, offset.y);
}

// Nothing happens by itself here: a condition must hold once the main queue
// has run, and a pause moves the virtual clock.
bool SimScenarioDriver::await(const ScenarioWait& wait) {
    if (!wait.missing) {
        sim_.fastForwardBy(wait.seconds);
        return true;
    }
    sim_.runUntilIdle();
    if (auto missing = wait.missing())
        failStep(*missing);
    return true;
}

bool SimScenarioDriver::settle(const ScenarioStep&) {
    sim_.runUntilIdle();
    printState();
    return true;
}

void SimScenarioDriver::finished(bool passed, const std::string& scriptName) {
    if (passed)
        out_ << "scenario passed: " << scriptName << "\n";
    out_.flush();
}

void SimScenarioDriver::printState() {
    const auto& opened = sim_.openedURLs();
    for (; urlsSeen_ < opened.size(); ++urlsSeen_) {
        out_ << "| opened " << opened[urlsSeen_] << "\n";
        engine().urlOpened(opened[urlsSeen_]);
    }
    if (auto screen = topScreen())
        reportScreen(out_, *screen);
    if (auto alert = sim_.visibleAlert())
        reportAlert(out_, *alert);
}

void SimScenarioDriver::installPack(const std::string& tag) {
    resources_.install(tag);
}

void SimScenarioDriver::queueRandomDraws(const std::vector<std::uint32_t>& draws) {
    sim_.queueRandomDraws(draws);
}

std::vector<std::size_t> SimScenarioDriver::pendingDownloads(const std::string& tag) const {
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < resources_.pendingCount(); ++i) {
        if (resources_.pending(i).tag == tag)
            pending.push_back(i);
    }
    if (pending.empty())
        failStep("no download of \"" + tag + "\" is running");
    return pending;
}

void SimScenarioDriver::setDownloadProgress(const std::string& tag, double fraction) {
    for (std::size_t index : pendingDownloads(tag))
        resources_.setProgress(index, fraction);
}

void SimScenarioDriver::completeDownload(const std::string& tag, long code) {
    pendingDownloads(tag);
    resources_.completeAll(tag, code);
}

void SimScenarioDriver::offerEdition(const std::string& tag, std::uint64_t edition,
                                     std::uint64_t bytes) {
    resources_.offerEdition(tag, edition, bytes);
}

void SimScenarioDriver::damagePack(const std::string& tag, const std::string& file) {
    resources_.damage(tag, file);
}

bool SimScenarioDriver::finishVideo() {
    return sim_.finishVideo();
}
