#include "packs/PackShelf.h"

#include <algorithm>
#include <cstdlib>

#include "packs/ContentError.h"
#include "packs/PackManifest.h"
#include "platform/foundation/HomeDirectory.h"
#include "platform/foundation/NSError.h"

namespace {

std::string nonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

PackShelf::PackShelf(std::filesystem::path cacheDirectory, std::filesystem::path trustedKeys,
                     SpaceProbe spaceProbe)
    : store_(cacheDirectory.empty() ? defaultCacheDirectory() : std::move(cacheDirectory)),
      trustedKeys_(std::move(trustedKeys)),
      spaceProbe_(spaceProbe ? std::move(spaceProbe) : fileio::systemAvailableSpace) {}

std::filesystem::path PackShelf::defaultCacheDirectory() {
    std::string explicitDirectory = nonEmptyEnvironment("LARKSPIRE_CACHE_DIR");
    if (!explicitDirectory.empty())
        return explicitDirectory;
    // The XDG rules ignore a relative $XDG_CACHE_HOME.
    std::string xdg = nonEmptyEnvironment("XDG_CACHE_HOME");
    if (!xdg.empty() && xdg.front() == '/')
        return std::filesystem::path(xdg) / "larkspire";
    return std::filesystem::path(homeDirectory()) / ".cache" / "larkspire";
}

std::vector<PackOnDisk> PackShelf::installedPacks() const {
    std::vector<PackOnDisk> packs;
    std::vector<std::string> tags;
    try {
        if (auto folder = store_.find("packs"))
            tags = folder->names();
    } catch (const ContentError&) {
        // A folder that cannot be listed holds no pack anyone can use.
    }
    auto keys = tags.empty() ? std::vector<std::string>() : trustedKeyFiles(trustedKeys_);
    for (const auto& tag : tags) {
        if (!PackManifest::isSafeName(tag))
            continue;
        auto key = store_.recordedKey(tag);
        if (!key || std::find(keys.begin(), keys.end(), *key) == keys.end())
            continue;
        if (auto pack = store_.installed(tag))
            packs.push_back(
                {tag, pack->manifest.totalSize() + pack->manifestBytes, pack->manifest.edition()});
    }
    std::sort(packs.begin(), packs.end(),
              [](const PackOnDisk& a, const PackOnDisk& b) { return a.tag < b.tag; });
    return packs;
}

std::vector<std::string> PackShelf::trustedKeyFiles(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != kKeySuffix)
            continue;
        if (auto text = fileio::readRegular(entry.path(), kMaxKeyFileSize))
            files.push_back(std::move(*text));
    }
    return files;
}

std::vector<std::string> PackShelf::packFiles(const std::string& tag) const {
    std::vector<std::string> names;
    auto pack = PackManifest::isSafeName(tag) ? store_.installed(tag) : std::nullopt;
    for (const auto& file : pack ? pack->manifest.files() : std::vector<PackFile>())
        names.push_back(file.name);
    return names;
}

bool PackShelf::isUnchanged(const std::string& tag) const {
    return PackManifest::isSafeName(tag) && store_.isRecordCurrent(tag);
}

std::string PackShelf::bundleDirectory(const std::string& tag) const {
    if (!PackManifest::isSafeName(tag))
        return (store_.cacheDirectory() / "packs" / ".invalid-tag").string();
    return store_.packDirectory(tag).string();
}

void PackShelf::removePack(const std::string& tag) const {
    if (!PackManifest::isSafeName(tag))
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "not a valid pack name");
    store_.prepare();
    auto lock = store_.tryLock(tag);
    if (!lock)
        throw ContentError(LKSOnDemandStorageError,
                           "it is being downloaded; try again once that has finished");
    store_.remove(tag);
}

std::optional<std::uint64_t> PackShelf::availableSpace() const {
    auto folder = store_.cacheDirectory();
    std::error_code ignored;
    while (!std::filesystem::is_directory(folder, ignored) && folder.has_relative_path())
        folder = folder.parent_path();
    return spaceProbe_(folder);
}
