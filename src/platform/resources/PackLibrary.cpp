#include "platform/resources/PackLibrary.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/resources/ProgressRelay.h"

std::string PackLibrary::failureLine(const std::string& tag, const std::string& reason) {
    return "larkspire: pack \"" + tag + "\": " + reason;
}

PackStatus PackStatus::of(std::string tag, State state) {
    PackStatus status;
    status.tag = std::move(tag);
    status.state = state;
    return status;
}

const char* PackStatus::nameOf(State state) {
    switch (state) {
        case State::downloading:
            return "downloading";
        case State::installed:
            return "installed";
        case State::failed:
            return "failed";
        case State::damaged:
            return "damaged";
        default:
            return "absent";
    }
}

PackLibrary::PackLibrary(std::shared_ptr<ResourceService> service, MainQueue mainQueue, InUse inUse,
                         std::ostream& failures, AutomaticUpdates automatic)
    : service_(std::move(service)),
      mainQueue_(std::move(mainQueue)),
      inUse_(std::move(inUse)),
      failures_(failures),
      automatic_(std::move(automatic)) {
    if (!service_ || !mainQueue_)
        throw std::invalid_argument("a pack library needs a service and a main queue");
}

void PackLibrary::loadInstalled() {
    if (installedLoaded_)
        return;
    installedLoaded_ = true;
    for (const auto& pack : service_->installedPacks()) {
        if (!packs_.contains(pack.tag)) {
            auto status = PackStatus::of(pack.tag, PackStatus::State::installed);
            status.fraction = 1.0;
            status.bytesOnDisk = pack.bytes;
            status.edition = pack.edition;
            packs_[pack.tag] = status;
        }
    }
}

PackStatus PackLibrary::status(const std::string& tag) {
    loadInstalled();
    auto found = packs_.find(tag);
    return found != packs_.end() ? found->second : PackStatus::of(tag);
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

bool PackLibrary::isVerified(const std::string& tag, const std::string& name) {
    auto found = verified_.find(tag);
    return found != verified_.end() && found->second.contains(name) &&
           service_->unchangedSinceChecked(tag);
}

std::optional<std::vector<std::string>> PackLibrary::listedBeside(const std::string& path) {
    loadInstalled();
    auto folder = std::filesystem::path(path).parent_path().lexically_normal();
    std::set<std::string> tags;
    for (const auto& [tag, status] : packs_)
        tags.insert(tag);
    for (const auto& [tag, names] : verified_)
        tags.insert(tag);
    for (const auto& tag : tags) {
        if (std::filesystem::path(bundleDirectory(tag)).lexically_normal() != folder)
            continue;
        auto found = verified_.find(tag);
        if (found == verified_.end() || !service_->unchangedSinceChecked(tag))
            return std::vector<std::string>();
        return std::vector<std::string>(found->second.begin(), found->second.end());
    }
    return std::nullopt;
}

void PackLibrary::request(const std::string& tag, std::shared_ptr<NSProgress> progress,
                          ResourceService::Completion completion) {
    loadInstalled();
    ++running_[tag];
    const bool wasInstalled = status(tag).state == PackStatus::State::installed;
    if (!wasInstalled)
        change(PackStatus::of(tag, PackStatus::State::downloading));

    std::weak_ptr<PackLibrary> weakSelf = weak_from_this();
    auto relay =
        ProgressRelay::start(std::move(progress), mainQueue_, [weakSelf, tag](double part) {
            if (auto self = weakSelf.lock())
                self->progressed(tag, part);
        });
    service_->beginAccessing(tag, relay->progress(),
                             [weakSelf, mainQueue = mainQueue_, tag, relay, wasInstalled,
                              completion = std::move(completion)](std::shared_ptr<NSError> error) {
                                 relay->stop();
                                 // Posted before the caller hears, so that whatever shows the pack
                                 // is up to date by the time the caller's own main-queue work runs.
                                 mainQueue([weakSelf, tag, wasInstalled, error] {
                                     if (auto self = weakSelf.lock())
                                         self->finished(tag, wasInstalled, error);
                                 });
                                 if (completion)
                                     completion(std::move(error));
                             });
}

void PackLibrary::progressed(const std::string& tag, double fraction) {
    // The end is told by the completion, once the pack is really there.
    if (running_[tag] == 0 || fraction >= 1.0)
        return;
    if (status(tag).state != PackStatus::State::installed) {
        auto downloading = PackStatus::of(tag, PackStatus::State::downloading);
        downloading.fraction = fraction;
        change(downloading);
    }
}

void PackLibrary::finished(const std::string& tag, bool wasInstalled,
                           const std::shared_ptr<NSError>& error) {
    if (running_[tag] > 0)
        --running_[tag];
    if (error) {
        // The service found the installed copy unsound, or could not tell.
        verified_.erase(tag);
        fail(tag, *error);
        return;
    }
    verified(tag);
    // A pack that was already here is kept current and sound behind the child's back: the
    // service asks its source at most once a day, and hashes it again once a month.
    if (!wasInstalled)
        return;
    if (updatesAutomatically())
        startUpdate(tag, true, true, false, {});
    if (!inUse_ || !inUse_(bundleDirectory(tag)))
        startCheck(tag, true, {});
}

void PackLibrary::verified(const std::string& tag) {
    auto files = service_->packFiles(tag);
    verified_[tag] = std::set<std::string>(files.begin(), files.end());
    PackStatus now = status(tag);
    now.state = PackStatus::State::installed;
    now.fraction = 1.0;
    now.reason.clear();
    now.damaged.clear();
    for (const auto& pack : service_->installedPacks()) {
        if (pack.tag == tag) {
            now.bytesOnDisk = pack.bytes;
            now.edition = pack.edition;
        }
    }
    change(now);
}

void PackLibrary::fail(const std::string& tag, const NSError& error) {
    // Observers first, so that whatever draws the download's progress has ended its line.
    auto failed = PackStatus::of(tag, PackStatus::State::failed);
    failed.reason = error.localizedDescription();
    failed.cause = error.cause();
    change(failed);
    failures_ << failureLine(tag, failed.reason) << std::endl;
}

std::optional<PackRefusal> PackLibrary::remove(const std::string& tag) {
    loadInstalled();
    if (running_[tag] > 0)
        return PackRefusal{FailureCause::stillDownloading, "it is still downloading"};
    if (inUse_ && inUse_(bundleDirectory(tag)))
        return PackRefusal{FailureCause::playing, "something from it is playing"};
    try {
        service_->removePack(tag);
    } catch (const std::exception& failure) {
        return PackRefusal{FailureCause::diskFailed, failure.what()};
    }
    verified_.erase(tag);
    change(PackStatus::of(tag));
    return std::nullopt;
}

bool PackLibrary::updatesAutomatically() const {
    return automatic_.get && automatic_.get();
}

void PackLibrary::setUpdatesAutomatically(bool on) {
    if (automatic_.set)
        automatic_.set(on);
}

void PackLibrary::checkForUpdate(const std::string& tag, std::function<void()> done) {
    startUpdate(tag, false, updatesAutomatically(), true, std::move(done));
}

void PackLibrary::update(const std::string& tag, std::function<void()> done) {
    startUpdate(tag, false, true, true, std::move(done));
}

void PackLibrary::startUpdate(const std::string& tag, bool whenDue, bool install, bool asked,
                              std::function<void()> done) {
    if (asked)
        edit(tag, [&](PackStatus& now) {
            now.update.state = install && now.update.state == PackStatus::Update::State::available
                                   ? PackStatus::Update::State::updating
                                   : PackStatus::Update::State::checking;
            now.update.fraction = 0.0;
        });
    std::weak_ptr<PackLibrary> weakSelf = weak_from_this();
    auto relay = ProgressRelay::start(nullptr, mainQueue_, [weakSelf, tag](double part) {
        auto self = weakSelf.lock();
        if (self && part < 1.0)
            self->edit(tag, [&](PackStatus& now) {
                now.update.state = PackStatus::Update::State::updating;
                now.update.fraction = part;
            });
    });
    service_->updatePack(
        tag, whenDue, install, relay->progress(),
        [weakSelf, mainQueue = mainQueue_, tag, relay, asked, done = std::move(done)](
            const PackUpdate& update, std::shared_ptr<NSError> error) {
            relay->stop();
            mainQueue([weakSelf, tag, update, error, asked, done] {
                if (auto self = weakSelf.lock())
                    self->updated(tag, update, error, asked);
                if (done)
                    done();
            });
        });
}

void PackLibrary::updated(const std::string& tag, const PackUpdate& update,
                          const std::shared_ptr<NSError>& error, bool asked) {
    using Update = PackStatus::Update;
    if (error) {
        // No network, no update, and nothing said unless someone asked; a refusal is always
        // worth a grown-up's look.
        long code = error->code();
        if (!asked && (code == LKSOnDemandNetworkError || code == LKSOnDemandNotInstalledError))
            return;
        edit(tag, [&](PackStatus& now) {
            now.update = {};
            now.update.state = Update::State::failed;
            now.update.reason = error->localizedDescription();
            now.update.cause = error->cause();
        });
        failures_ << failureLine(tag, "not updated: " + error->localizedDescription()) << std::endl;
        return;
    }
    switch (update.found) {
        case PackUpdate::Found::notDue:
            return;
        case PackUpdate::Found::upToDate:
            edit(tag, [&](PackStatus& now) {
                now.update = {};
                now.update.state = Update::State::upToDate;
            });
            return;
        case PackUpdate::Found::available:
            edit(tag, [&](PackStatus& now) {
                now.update = {};
                now.update.state = Update::State::available;
                now.update.edition = update.edition;
                now.update.bytes = update.bytesToFetch;
            });
            return;
        case PackUpdate::Found::installed:
            edit(tag, [&](PackStatus& now) {
                now.update = {};
                now.update.state = Update::State::upToDate;
            });
            verified(tag);
            return;
    }
}

void PackLibrary::checkFiles(const std::string& tag, std::function<void()> done) {
    edit(tag, [](PackStatus& now) {
        now.checkingFiles = true;
        now.filesChecked = false;
    });
    startCheck(tag, false, std::move(done));
}

void PackLibrary::startCheck(const std::string& tag, bool background, std::function<void()> done) {
    std::weak_ptr<PackLibrary> weakSelf = weak_from_this();
    MainQueue mainQueue = mainQueue_;
    service_->checkPack(tag, background,
                        [weakSelf, mainQueue, tag, done = std::move(done)](
                            const PackCheck& check, std::shared_ptr<NSError> error) {
                            mainQueue([weakSelf, tag, check, error, done] {
                                if (auto self = weakSelf.lock())
                                    self->checked(tag, check, error);
                                if (done)
                                    done();
                            });
                        });
}

void PackLibrary::checked(const std::string& tag, const PackCheck& check,
                          const std::shared_ptr<NSError>& error) {
    if (error) {
        edit(tag, [](PackStatus& now) { now.checkingFiles = false; });
        failures_ << failureLine(tag, "not checked: " + error->localizedDescription()) << std::endl;
        return;
    }
    if (check.damaged.empty()) {
        edit(tag, [&](PackStatus& now) {
            now.checkingFiles = false;
            now.filesChecked = now.filesChecked || check.done;
        });
        return;
    }
    verified_.erase(tag);
    std::string names;
    for (const auto& name : check.damaged)
        names += (names.empty() ? "" : ", ") + name;
    edit(tag, [&](PackStatus& now) {
        now.state = PackStatus::State::damaged;
        now.checkingFiles = false;
        now.damaged = check.damaged;
    });
    failures_ << failureLine(tag, "damaged: " + names + " (fetched again at its next download)")
              << std::endl;
}

void PackLibrary::edit(const std::string& tag, const std::function<void(PackStatus&)>& edit) {
    PackStatus now = status(tag);
    edit(now);
    change(now);
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
