#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/content/ResourceService.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackShelf.h"

// The on-demand content service, loaded from its module (ContentModule.h) the first time it is
// asked for a pack, on the main thread. Listing and removing installed packs and the free space
// need no network: they are answered here, without loading the module. A module that cannot be
// loaded fails each request with a clear error.
class LazyContentService : public ResourceService {
public:
    LazyContentService(ContentService::Options options, std::string modulePath);

    std::string bundleDirectory(const std::string& tag) override;
    void beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                        Completion completion) override;
    std::vector<PackOnDisk> installedPacks() override;
    void removePack(const std::string& tag) override;
    std::optional<std::uint64_t> availableSpace() override;

private:
    ResourceService* service();

    ContentService::Options options_;
    std::string modulePath_;
    PackShelf shelf_;
    std::unique_ptr<ResourceService> service_;
    std::string loadError_;
};
