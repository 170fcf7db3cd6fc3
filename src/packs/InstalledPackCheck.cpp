#include "packs/InstalledPackCheck.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "packs/ContentError.h"
#include "packs/PackManifest.h"
#include "packs/Sha256.h"

std::optional<std::string> hashOfFile(const DirectoryHandle& folder, const std::string& name,
                                      FileStamp& stamp) {
    UniqueFd fd = folder.openFile(name, O_RDONLY);
    struct stat before {};
    struct stat after {};
    if (!fd || ::fstat(fd.get(), &before) != 0)
        return std::nullopt;
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    auto hash = Sha256::ofFile(fd.get());
    if (::fstat(fd.get(), &after) != 0 || FileStamp::of(after) != FileStamp::of(before))
        return std::nullopt;
    stamp = FileStamp::of(after);
    return hash;
}

std::optional<TrustedCopy> trustedCopy(const PackStore& store, const TrustedKeys& keys,
                                       const std::string& tag) {
    // A copy changed in the cache, or signed by a key no longer trusted, is none.
    auto folder = store.openPack(tag);
    if (!folder)
        return std::nullopt;
    FileStamp copyStamp, signatureStamp;
    auto json =
        folder->readFile(PackManifest::kInstalledFileName, PackManifest::kMaxJsonSize, &copyStamp);
    auto signature = folder->readFile(PackManifest::kInstalledSignatureName,
                                      packsignature::kMaxFileSize, &signatureStamp);
    if (!json || !signature)
        return std::nullopt;
    try {
        const auto& key = keys.verify(tag, *json, *signature, tag);
        auto manifest = PackManifest::parse(*json);
        if (manifest.tag() != tag)
            return std::nullopt;
        return TrustedCopy{std::move(manifest),
                           std::move(*json),
                           &key,
                           {{PackManifest::kInstalledFileName, copyStamp},
                            {PackManifest::kInstalledSignatureName, signatureStamp}}};
    } catch (const ContentError&) {
        return std::nullopt;
    }
}

bool installedPackIsIntact(const PackStore& store, const TrustedKeys& keys, const std::string& tag,
                           std::int64_t now) {
    auto copy = trustedCopy(store, keys, tag);
    auto folder = copy ? store.openPack(tag) : std::nullopt;
    if (!folder)
        return false;
    auto stamps = copy->stamps;
    for (const auto& file : copy->manifest.files()) {
        struct stat info {};
        if (!folder->status(file.name, info) || !S_ISREG(info.st_mode) ||
            static_cast<std::uint64_t>(info.st_size) != file.size)
            return false;
        stamps[file.name] = FileStamp::of(info);
    }
    if (store.isRecordedSound(tag, stamps, copy->key->file))
        return true;
    // The manifest copy and signature as just checked, the files as they are hashed.
    bool sound = std::all_of(
        copy->manifest.files().begin(), copy->manifest.files().end(), [&](const PackFile& file) {
            return hashOfFile(*folder, file.name, stamps[file.name]) == file.sha256;
        });
    if (!sound)
        return false;
    try {
        store.recordVerified(tag, stamps, copy->key->file, now);
    } catch (const ContentError&) {
        // Sound all the same: it is checked again next time.
    }
    return true;
}

std::optional<std::vector<std::string>> rehashInstalledPack(const PackStore& store,
                                                            const TrustedCopy& copy,
                                                            const std::string& tag,
                                                            std::int64_t now,
                                                            const std::function<bool()>& stop) {
    auto folder = store.openPack(tag);
    if (!folder)
        return std::vector<std::string>{};
    auto stamps = copy.stamps;
    std::vector<std::string> damaged;
    for (const auto& file : copy.manifest.files()) {
        if (stop && stop())
            return std::nullopt;
        if (hashOfFile(*folder, file.name, stamps[file.name]) != file.sha256)
            damaged.push_back(file.name);
    }
    if (damaged.empty()) {
        store.recordVerified(tag, stamps, copy.key->file, now);
        return damaged;
    }
    folder->removeQuietly(PackStore::kInstallRecordName);
    for (const auto& name : damaged)
        folder->removeQuietly(name);
    return damaged;
}
