#include "run/LazyContentService.h"

#include <dlfcn.h>

#include <iostream>

#include "packs/ContentModule.h"
#include "packs/PackShelf.h"
#include "platform/foundation/NSError.h"

namespace {

class LazyContentService : public ResourceService {
public:
    LazyContentService(ContentService::Options options, std::string modulePath);

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

private:
    ResourceService* service();

    ContentService::Options options_;
    std::string modulePath_;
    PackShelf shelf_;
    std::unique_ptr<ResourceService> service_;
    std::string loadError_;
};

LazyContentService::LazyContentService(ContentService::Options options, std::string modulePath)
    : options_(std::move(options)),
      modulePath_(std::move(modulePath)),
      shelf_(options_.cacheDirectory, options_.trustedKeys, options_.spaceProbe) {}

ResourceService* LazyContentService::service() {
    if (service_ || !loadError_.empty())
        return service_.get();
    // Never unloaded: the service's threads and the objects it made run its code to the end.
    void* module = ::dlopen(modulePath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto make = module
                    ? reinterpret_cast<ContentModuleFactory>(::dlsym(module, kContentModuleFactory))
                    : nullptr;
    if (!make) {
        const char* error = ::dlerror();
        loadError_ = "cannot load the on-demand service " + modulePath_ + ": " +
                     (error ? error : "no factory");
    } else {
        try {
            service_.reset(make(&options_));
        } catch (const std::exception& error) {
            loadError_ = std::string("cannot start the on-demand service: ") + error.what();
        }
    }
    // Said once on the terminal too: no download can work until the installation is mended.
    if (!loadError_.empty())
        std::cerr << "larkspire: " << loadError_ << "\n";
    return service_.get();
}

std::string LazyContentService::bundleDirectory(const std::string& tag) {
    return shelf_.bundleDirectory(tag);
}

void LazyContentService::beginAccessing(const std::string& tag,
                                        std::shared_ptr<NSProgress> progress,
                                        Completion completion) {
    if (auto* loaded = service()) {
        loaded->beginAccessing(tag, std::move(progress), std::move(completion));
        return;
    }
    if (completion)
        completion(NSError::make(LKSOnDemandStorageError, loadError_));
}

std::vector<PackOnDisk> LazyContentService::installedPacks() {
    return shelf_.installedPacks();
}

bool LazyContentService::unchangedSinceChecked(const std::string& tag) {
    return shelf_.isUnchanged(tag);
}

void LazyContentService::removePack(const std::string& tag) {
    shelf_.removePack(tag);
}

std::optional<std::uint64_t> LazyContentService::availableSpace() {
    return shelf_.availableSpace();
}

std::vector<std::string> LazyContentService::packFiles(const std::string& tag) {
    return shelf_.packFiles(tag);
}

void LazyContentService::updatePack(const std::string& tag, bool whenDue, bool install,
                                    std::shared_ptr<NSProgress> progress,
                                    UpdateCompletion completion) {
    if (auto* loaded = service()) {
        loaded->updatePack(tag, whenDue, install, std::move(progress), std::move(completion));
        return;
    }
    if (completion)
        completion({}, NSError::make(LKSOnDemandStorageError, loadError_));
}

void LazyContentService::checkPack(const std::string& tag, bool background,
                                   CheckCompletion completion) {
    if (auto* loaded = service()) {
        loaded->checkPack(tag, background, std::move(completion));
        return;
    }
    if (completion)
        completion({}, NSError::make(LKSOnDemandStorageError, loadError_));
}

}  // namespace

std::shared_ptr<ResourceService> lazyContentService(ContentService::Options options,
                                                    std::string modulePath) {
    return std::make_shared<LazyContentService>(std::move(options), std::move(modulePath));
}

std::shared_ptr<ResourceService> onDemandContent(const RunOptions& options,
                                                 std::filesystem::path cacheDirectory) {
    ContentService::Options content;
    content.baseUrl = options.contentURL;
    content.certificateAuthorities = options.contentAuthorities;
    content.trustedKeys = options.trustedKeys;
    content.cacheDirectory = std::move(cacheDirectory);
    return lazyContentService(std::move(content), options.contentModule);
}
