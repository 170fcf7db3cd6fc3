#include "platform/resources/ProgressRelay.h"

#include "platform/foundation/NSProgress.h"

std::shared_ptr<ProgressRelay> ProgressRelay::start(std::shared_ptr<NSProgress> caller,
                                                    MainQueue mainQueue,
                                                    std::function<void(double)> onMain) {
    auto relay =
        std::make_shared<ProgressRelay>(std::move(caller), std::move(mainQueue), std::move(onMain));
    relay->tracked_->addObserver(relay, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    return relay;
}

ProgressRelay::ProgressRelay(std::shared_ptr<NSProgress> caller, MainQueue mainQueue,
                             std::function<void(double)> onMain)
    : tracked_(NSProgress::make()),
      caller_(std::move(caller)),
      mainQueue_(std::move(mainQueue)),
      onMain_(std::move(onMain)) {}

void ProgressRelay::stop() {
    tracked_->removeObserver(shared_from_this(), "fractionCompleted");
}

void ProgressRelay::observeValueForKeyPath(const std::optional<std::string>&,
                                           const std::shared_ptr<NSObject>&,
                                           const NSKeyValueChange& change, void*) {
    if (caller_)
        caller_->setFractionCompleted(change.newValue);
    mainQueue_([onMain = onMain_, fraction = change.newValue] { onMain(fraction); });
}
