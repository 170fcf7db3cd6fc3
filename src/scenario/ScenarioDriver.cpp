#include "scenario/ScenarioDriver.h"

#include "scenario/ScenarioScript.h"

namespace {

[[noreturn]] void refuse() {
    failStep("only the headless backend can force that outcome");
}

}  // namespace

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

bool ScenarioDriver::finishVideo() {
    refuse();
}
