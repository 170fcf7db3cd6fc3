#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "packs/FileIo.h"
#include "platform/resources/ResourceService.h"

struct ContentServiceOptions {
    // Where packs are served: "<baseUrl>/<Tag>/manifest.json" and "<baseUrl>/<Tag>/<file>".
    // file://, http:// or https:// (certificates verified as libcurl does by default).
    std::string baseUrl;
    // Empty means PackShelf::defaultCacheDirectory().
    std::filesystem::path cacheDirectory;
    // The publisher keys trusted, every "*.pub" PEM file in this folder (the application's
    // share/larkspire/keys): a pack whose manifest none of them signed is refused.
    std::filesystem::path trustedKeys;
    // A PEM file of the certificate authorities trusted for https://, in place of the
    // system's store; empty means the system's store.
    std::string certificateAuthorities;
    std::chrono::milliseconds connectTimeout{15000};
    // A transfer fails once it moves fewer than `minimumRate` bytes/s on average over
    // `rateWindow`, and a manifest not received whole within `manifestDeadline`, so that a
    // trickling server cannot hold a request and the pack's lock for ever. 1 KiB/s is a tenth
    // of a weak mobile link, and 30 s rides out its pauses (FetchSettings says more).
    long minimumRate = 1024;
    std::chrono::seconds rateWindow{30};
    std::chrono::seconds manifestDeadline{60};
    // Free space under the cache; empty means statvfs.
    SpaceProbe spaceProbe;
    // The time, for the records of checks and for manifests' expiry; empty means the system's.
    std::function<std::chrono::system_clock::time_point()> clock;
    // Every write of a downloaded byte goes through this; empty means write(2).
    WriteFunction write;
};

// The on-demand resource service over a content server. Each request, update and check runs on
// a worker thread owned by the service; one alike of another already running for its tag joins
// it. Installed packs live in "<cache>/packs/<Tag>"; an intact one is reported at once, without
// network, and kept current by updatePack (PackUpdater.h).
class ContentService : public ResourceService {
public:
    using Options = ContentServiceOptions;

    explicit ContentService(Options options);
    // Cancels the requests still running (they complete with LKSOnDemandNetworkError) and
    // waits up to 2 s in all for their threads. A thread stuck longer (in a write to a hung
    // disk, say) is left to finish on its own and completes its request when it does.
    ~ContentService() override;
    ContentService(const ContentService&) = delete;
    ContentService& operator=(const ContentService&) = delete;

    std::string bundleDirectory(const std::string& tag) override;
    void beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                        Completion completion) override;
    std::vector<PackOnDisk> installedPacks() override;
    bool unchangedSinceChecked(const std::string& tag) override;
    void removePack(const std::string& tag) override;
    std::optional<std::uint64_t> availableSpace() override;
    std::vector<std::string> packFiles(const std::string& tag) override;
    void updatePack(const std::string& tag, bool whenDue, bool install,
                    std::shared_ptr<NSProgress> progress, UpdateCompletion completion) override;
    void checkPack(const std::string& tag, bool background, CheckCompletion completion) override;

    const std::filesystem::path& cacheDirectory() const;
    // Where downloads in progress live; between requests it holds only what cut transfers
    // kept for the next request of their tag (one "<Tag>.resume" folder each).
    std::filesystem::path stagingDirectory() const;

private:
    struct Core;
    struct Job;
    struct Outcome;
    using Work = std::function<Outcome(Core& core, Job& job)>;
    using Waiter = std::function<void(const Outcome& outcome)>;
    // Runs `work` on a worker of its own, or joins the one running under `key`.
    void start(const std::string& key, std::shared_ptr<NSProgress> progress, Waiter waiter,
               Work work);
    static void run(const std::shared_ptr<Core>& core, const std::shared_ptr<Job>& job,
                    const Work& work);

    std::shared_ptr<Core> core_;
};
