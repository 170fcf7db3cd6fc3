#include "backends/sim/SimResourceService.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

namespace fs = std::filesystem;

SimResourceService::SimResourceService(std::string root) : root_(std::move(root)) {
    fs::create_directories(root_);
}

void SimResourceService::setPackSource(const std::string& tag, const std::string& sourceDirectory) {
    sources_[tag] = sourceDirectory;
}

std::string SimResourceService::bundleDirectory(const std::string& tag) {
    return root_ + "/packs/" + tag;
}

bool SimResourceService::isInstalled(const std::string& tag) const {
    return fs::is_directory(root_ + "/packs/" + tag);
}

void SimResourceService::install(const std::string& tag) {
    std::string target = bundleDirectory(tag);
    fs::create_directories(target);
    auto source = sources_.find(tag);
    if (source != sources_.end())
        fs::copy(source->second, target,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::vector<PackOnDisk> SimResourceService::installedPacks() {
    std::vector<PackOnDisk> packs;
    std::error_code ignored;
    for (const auto& pack : fs::directory_iterator(root_ + "/packs", ignored)) {
        std::string tag = pack.path().filename().string();
        PackOnDisk onDisk{tag, 0, editions_[tag].installed};
        for (const auto& file : fs::recursive_directory_iterator(pack.path(), ignored)) {
            if (file.is_regular_file())
                onDisk.bytes += file.file_size();
        }
        packs.push_back(std::move(onDisk));
    }
    std::sort(packs.begin(), packs.end(),
              [](const PackOnDisk& a, const PackOnDisk& b) { return a.tag < b.tag; });
    return packs;
}

void SimResourceService::removePack(const std::string& tag) {
    fs::remove_all(bundleDirectory(tag));
}

void SimResourceService::beginAccessing(const std::string& tag,
                                        std::shared_ptr<NSProgress> progress,
                                        Completion completion) {
    ++requestCount_;
    if (isInstalled(tag)) {
        progress->setFractionCompleted(1.0);
        completion(nullptr);
        return;
    }
    pending_.push_back({tag, std::move(progress), std::move(completion)});
}

void SimResourceService::setProgress(std::size_t index, double fraction) {
    pending_.at(index).progress->setFractionCompleted(fraction);
}

void SimResourceService::complete(std::size_t index, long code, bool fromWorkerThread,
                                  std::optional<FailureCause> cause) {
    PendingRequest request = pending_.at(index);
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(index));
    std::shared_ptr<NSError> error;
    if (code == 0) {
        install(request.tag);
        request.progress->setFractionCompleted(1.0);
    } else {
        error = NSError::make(code, "the request for " + request.tag + " failed",
                              cause.value_or(failureCauseOf(code)));
    }
    if (fromWorkerThread) {
        std::thread worker([&] { request.completion(error); });
        worker.join();
    } else {
        request.completion(error);
    }
}

void SimResourceService::completeAll(const std::string& tag, long code,
                                     std::optional<FailureCause> cause) {
    for (std::size_t i = 0; i < pending_.size();) {
        if (pending_[i].tag == tag)
            complete(i, code, false, cause);
        else
            ++i;
    }
}

void SimResourceService::offerEdition(const std::string& tag, std::uint64_t edition,
                                      std::uint64_t bytes) {
    editions_[tag].offered = edition;
    editions_[tag].bytes = bytes;
}

void SimResourceService::damage(const std::string& tag, const std::string& name) {
    damaged_[tag].push_back(name);
}

std::vector<std::string> SimResourceService::packFiles(const std::string& tag) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& file : fs::directory_iterator(bundleDirectory(tag), ignored)) {
        if (file.is_regular_file())
            names.push_back(file.path().filename().string());
    }
    return names;
}

void SimResourceService::updatePack(const std::string& tag, bool, bool install,
                                    std::shared_ptr<NSProgress> progress,
                                    UpdateCompletion completion) {
    if (!isInstalled(tag)) {
        completion({}, NSError::make(NSBundleOnDemandResourceInvalidTagError,
                                     "it is not on this machine"));
        return;
    }
    auto& edition = editions_[tag];
    if (edition.offered <= edition.installed) {
        completion({PackUpdate::Found::upToDate, edition.installed, 0}, nullptr);
        return;
    }
    if (!install) {
        completion({PackUpdate::Found::available, edition.offered, edition.bytes}, nullptr);
        return;
    }
    edition.installed = edition.offered;
    if (progress)
        progress->setFractionCompleted(1.0);
    completion({PackUpdate::Found::installed, edition.installed, 0}, nullptr);
}

void SimResourceService::checkPack(const std::string& tag, bool background,
                                   CheckCompletion completion) {
    if (!isInstalled(tag)) {
        completion({}, NSError::make(NSBundleOnDemandResourceInvalidTagError,
                                     "it is not on this machine"));
        return;
    }
    if (background) {
        completion({}, nullptr);
        return;
    }
    auto damaged = std::move(damaged_[tag]);
    damaged_.erase(tag);
    for (const auto& name : damaged)
        fs::remove(bundleDirectory(tag) + "/" + name);
    completion({true, std::move(damaged)}, nullptr);
}
