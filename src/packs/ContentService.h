#pragma once

#include <chrono>
#include <filesystem>
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
    std::chrono::milliseconds connectTimeout{15000};
    // A transfer fails once it moves fewer than `minimumRate` bytes/s on average over
    // `rateWindow`, and a manifest not received whole within `manifestDeadline`, so that a
    // trickling server cannot hold a request and the pack's lock for ever. 1 KiB/s is a tenth
    // of a weak mobile link, and 30 s rides out its pauses (FetchTimeouts says more).
    long minimumRate = 1024;
    std::chrono::seconds rateWindow{30};
    std::chrono::seconds manifestDeadline{60};
    // Free space under the cache; empty means statvfs.
    SpaceProbe spaceProbe;
    // Every write of a downloaded byte goes through this; empty means write(2).
    WriteFunction write;
};

// The on-demand resource service over a content server. Each request runs on a worker thread
// owned by the service; requests for a tag already being fetched join that fetch. Installed
// packs live in "<cache>/packs/<Tag>"; an intact one is reported at once, without network.
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

    const std::filesystem::path& cacheDirectory() const;
    // Where downloads in progress live; between requests it holds only what cut transfers
    // kept for the next request of their tag (one "<Tag>.resume" folder each).
    std::filesystem::path stagingDirectory() const;

private:
    struct Core;
    struct Job;
    static void run(const std::shared_ptr<Core>& core, const std::shared_ptr<Job>& job);

    std::shared_ptr<Core> core_;
};
