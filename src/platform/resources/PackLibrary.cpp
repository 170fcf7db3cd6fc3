#include "platform/resources/PackLibrary.h"

#include <ostream>
#include <stdexcept>

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

namespace {

// Passes the service's progress of one request on to its caller, on the worker's thread as the
// caller expects, and to the library by way of the main queue.
class ProgressRelay : public NSObject {
public:
    ProgressRelay(std::shared_ptr<NSProgress> caller, std::function<void(double)> toLibrary)
        : caller_(std::move(caller)), toLibrary_(std::move(toLibrary)) {}

    void observeValueForKeyPath(const std::optional<std::string>&, const std::shared_ptr<NSObject>&,
                                const NSKeyValueChange& change, void*) override {
        if (caller_)
            caller_->setFractionCompleted(change.newValue);
        toLibrary_(change.newValue);
    }

private:
    std::shared_ptr<NSProgress> caller_;
    std::function<void(double)> toLibrary_;
};

}  // namespace

std::string PackLibrary::failureLine(const std::string& tag, const std::string& reason) {
    return "larkspire: pack \"" + tag + "\": " + reason;
}

const char* PackStatus::nameOf(State state) {
    switch (state) {
        case State::downloading:
            return "downloading";
        case State::installed:
            return "installed";
        case State::failed:
            return "failed";
        default:
            return "absent";
    }
}

PackLibrary::PackLibrary(std::shared_ptr<ResourceService> service, MainQueue mainQueue, InUse inUse,
                         std::ostream& failures)
    : service_(std::move(service)),
      mainQueue_(std::move(mainQueue)),
      inUse_(std::move(inUse)),
      failures_(failures) {
    if (!service_ || !mainQueue_)
        throw std::invalid_argument("a pack library needs a service and a main queue");
}

void PackLibrary::loadInstalled() {
    if (installedLoaded_)
        return;
    installedLoaded_ = true;
    for (const auto& pack : service_->installedPacks()) {
        if (!packs_.contains(pack.tag))
            packs_[pack.tag] = {pack.tag, PackStatus::State::installed, 1.0, pack.bytes, {}};
    }
}

PackStatus PackLibrary::status(const std::string& tag) {
    loadInstalled();
    auto found = packs_.find(tag);
    return found != packs_.end() ? found->second
                                 : PackStatus{tag, PackStatus::State::absent, 0.0, 0, {}};
}

std::vector<PackStatus> PackLibrary::list() {
    loadInstalled();
    std::vector<PackStatus> packs;
    for (const auto& [tag, status] : packs_)
        packs.push_back(status);
    return packs;
}

std::optional<std::uint64_t> PackLibrary::availableSpace() {
    return service_->availableSpace();
}

std::string PackLibrary::bundleDirectory(const std::string& tag) {
    return service_->bundleDirectory(tag);
}

bool PackLibrary::isVerified(const std::string& tag) {
    return verified_.contains(tag) && service_->unchangedSinceChecked(tag);
}

void PackLibrary::request(const std::string& tag, std::shared_ptr<NSProgress> progress,
                          ResourceService::Completion completion) {
    loadInstalled();
    ++running_[tag];
    if (status(tag).state != PackStatus::State::installed)
        change({tag, PackStatus::State::downloading, 0.0, 0, {}});

    std::weak_ptr<PackLibrary> weakSelf = weak_from_this();
    MainQueue mainQueue = mainQueue_;
    auto relay = std::make_shared<ProgressRelay>(std::move(progress),
                                                 [weakSelf, mainQueue, tag](double fraction) {
                                                     mainQueue([weakSelf, tag, fraction] {
                                                         if (auto self = weakSelf.lock())
                                                             self->progressed(tag, fraction);
                                                     });
                                                 });
    auto tracked = NSProgress::make();
    tracked->addObserver(relay, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    service_->beginAccessing(tag, tracked,
                             [weakSelf, mainQueue, tag, relay, tracked,
                              completion = std::move(completion)](std::shared_ptr<NSError> error) {
                                 tracked->removeObserver(relay, "fractionCompleted");
                                 // Posted before the caller hears, so that whatever shows the pack
                                 // is up to date by the time the caller's own main-queue work runs.
                                 mainQueue([weakSelf, tag, error] {
                                     if (auto self = weakSelf.lock())
                                         self->finished(tag, error);
                                 });
                                 if (completion)
                                     completion(std::move(error));
                             });
}

void PackLibrary::progressed(const std::string& tag, double fraction) {
    // The end is told by the completion, once the pack is really there.
    if (running_[tag] == 0 || fraction >= 1.0)
        return;
    if (status(tag).state != PackStatus::State::installed)
        change({tag, PackStatus::State::downloading, fraction, 0, {}});
}

void PackLibrary::finished(const std::string& tag, const std::shared_ptr<NSError>& error) {
    if (running_[tag] > 0)
        --running_[tag];
    if (error) {
        // The service found the installed copy unsound, or could not tell.
        verified_.erase(tag);
        // Observers first, so that whatever draws the download's progress has ended its line.
        change({tag, PackStatus::State::failed, 0.0, 0, error->localizedDescription()});
        failures_ << failureLine(tag, error->localizedDescription()) << std::endl;
        return;
    }
    std::uint64_t bytes = 0;
    for (const auto& pack : service_->installedPacks()) {
        if (pack.tag == tag)
            bytes = pack.bytes;
    }
    verified_.insert(tag);
    change({tag, PackStatus::State::installed, 1.0, bytes, {}});
}

std::optional<std::string> PackLibrary::remove(const std::string& tag) {
    loadInstalled();
    if (running_[tag] > 0)
        return "it is still downloading";
    if (inUse_ && inUse_(bundleDirectory(tag)))
        return "something from it is playing";
    try {
        service_->removePack(tag);
    } catch (const std::exception& failure) {
        return std::string(failure.what());
    }
    verified_.erase(tag);
    change({tag, PackStatus::State::absent, 0.0, 0, {}});
    return std::nullopt;
}

std::uint64_t PackLibrary::addObserver(Observer observer) {
    observers_[nextObserver_] = std::move(observer);
    return nextObserver_++;
}

void PackLibrary::removeObserver(std::uint64_t observer) {
    observers_.erase(observer);
}

void PackLibrary::change(PackStatus status) {
    packs_[status.tag] = status;
    // An observer may add or remove observers while it is told.
    auto observers = observers_;
    for (const auto& [id, observer] : observers) {
        if (observers_.contains(id))
            observer(status);
    }
}
