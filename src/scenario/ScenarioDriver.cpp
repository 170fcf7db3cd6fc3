#include "scenario/ScenarioDriver.h"

#include "platform/media/AVPlayer.h"
#include "scenario/ScenarioScript.h"

namespace {

[[noreturn]] void refuse() {
    failStep("only the headless backend can force that outcome");
}

}  // namespace

bool ScenarioDriver::chooseCaptions(const std::optional<std::string>& language) {
    auto player = visiblePlayer();
    if (!player)
        return false;
    player->chooseCaptions(language);
    return player->captions().shown() == language;
}

std::string ScenarioDriver::shownCaption() const {
    auto player = visiblePlayer();
    return player ? player->captionText() : std::string();
}

void ScenarioDriver::installPack(const std::string&) {
    refuse();
}

void ScenarioDriver::queueRandomDraws(const std::vector<std::uint32_t>&) {
    refuse();
}

void ScenarioDriver::setDownloadProgress(const std::string&, double) {
    refuse();
}

void ScenarioDriver::completeDownload(const std::string&, long) {
    refuse();
}

void ScenarioDriver::offerEdition(const std::string&, std::uint64_t, std::uint64_t) {
    refuse();
}

void ScenarioDriver::damagePack(const std::string&, const std::string&) {
    refuse();
}

bool ScenarioDriver::finishVideo() {
    refuse();
}
