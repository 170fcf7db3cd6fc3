#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/FailureCause.h"
#include "platform/resources/ResourceService.h"

// An on-demand service whose requests finish only when the caller says so.
// A pack's files live in a source folder and appear in the bundle folder
// when a request for its tag succeeds.
class SimResourceService : public ResourceService {
public:
    // `root` is a scratch folder of the caller's; bundles are made below it.
    explicit SimResourceService(std::string root);

    // The files that a successful request for `tag` makes available.
    void setPackSource(const std::string& tag, const std::string& sourceDirectory);
    // Makes the pack of `tag` present on the device now, as an earlier run would have.
    void install(const std::string& tag);
    bool isInstalled(const std::string& tag) const;

    struct PendingRequest {
        std::string tag;
        std::shared_ptr<NSProgress> progress;
        Completion completion;
    };
    // Requests begun and not yet completed, oldest first.
    std::size_t pendingCount() const { return pending_.size(); }
    const PendingRequest& pending(std::size_t index) const { return pending_.at(index); }
    std::size_t requestCount() const { return requestCount_; }

    // Reports progress of a pending request, as the service's worker would.
    void setProgress(std::size_t index, double fraction);
    // Completes a pending request: code 0 installs the pack and succeeds;
    // any other code fails with that code, and with `cause` where given (else the code's).
    // With `fromWorkerThread` the completion is called on a thread of its own, as the real
    // service does.
    void complete(std::size_t index, long code = 0, bool fromWorkerThread = false,
                  std::optional<FailureCause> cause = std::nullopt);
    // Completes every pending request for `tag`.
    void completeAll(const std::string& tag, long code = 0,
                     std::optional<FailureCause> cause = std::nullopt);
    // What the simulated source offers of `tag` from now on: updates of an installed pack to an
    // older edition find it up to date; a newer one is available with `bytes` to fetch.
    void offerEdition(const std::string& tag, std::uint64_t edition, std::uint64_t bytes);
    // Makes the next check of `tag` find `name` damaged.
    void damage(const std::string& tag, const std::string& name);

    std::string bundleDirectory(const std::string& tag) override;
    void beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                        Completion completion) override;
    std::vector<PackOnDisk> installedPacks() override;
    void removePack(const std::string& tag) override;
    // The simulated disk always has 16 GiB free.
    std::optional<std::uint64_t> availableSpace() override { return kAvailableSpace; }
    // Every file of the bundle folder.
    std::vector<std::string> packFiles(const std::string& tag) override;
    // Both complete at once, on the caller's thread.
    void updatePack(const std::string& tag, bool whenDue, bool install,
                    std::shared_ptr<NSProgress> progress, UpdateCompletion completion) override;
    void checkPack(const std::string& tag, bool background, CheckCompletion completion) override;

private:
    static constexpr std::uint64_t kAvailableSpace = std::uint64_t{16} << 30;

    std::string root_;
    std::map<std::string, std::string> sources_;
    struct Edition {
        std::uint64_t installed = 1, offered = 1, bytes = 0;
    };
    std::map<std::string, Edition> editions_;
    std::map<std::string, std::vector<std::string>> damaged_;
    std::vector<PendingRequest> pending_;
    std::size_t requestCount_ = 0;
};
