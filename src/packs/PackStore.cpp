#include "packs/PackStore.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "packs/ContentError.h"
#include "packs/InstallRecord.h"
#include "packs/PackManifest.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NSError.h"

namespace {

constexpr std::size_t kUniqueSuffixLength = 6;  // the XXXXXX of mkdtemp

// The tag of a staging folder "<tag>.XXXXXX", as createStaging() names them, or "" for a
// name that is no staging folder. The suffix has no '.', so the folders of tag "A" and of
// tag "A.b" never pass for each other.
std::string stagingTagOf(const std::string& name) {
    if (name.size() < kUniqueSuffixLength + 2)
        return {};
    std::size_t dot = name.size() - kUniqueSuffixLength - 1;
    if (name[dot] != '.' || name.find('.', dot + 1) != std::string::npos)
        return {};
    return name.substr(0, dot);
}

void makeDirectory(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        fileio::throwStorageError(error.value(), "create", path);
}

void writeRecord(const DirectoryHandle& folder, const InstallRecord& record) {
    folder.replaceFile(PackStore::kInstallRecordName, record.text());
}

}  // namespace

// What was last read of each pack's manifest copy and install record, with the stamp of the
// file as it was read: lookups, on the main thread, stat the files and parse one again only
// once it changed.
struct PackStore::ReadCache {
    std::mutex mutex;
    std::map<std::string, std::pair<FileStamp, std::optional<InstallRecord>>> records;
    std::map<std::string, std::pair<FileStamp, PackManifest>> manifests;
};

PackStore::PackStore(std::filesystem::path cacheDirectory)
    : cache_(std::move(cacheDirectory)), read_(std::make_shared<ReadCache>()) {}

std::filesystem::path PackStore::packDirectory(const std::string& tag) const {
    return cache_ / "packs" / tag;
}

void PackStore::prepare() const {
    makeDirectory(cache_);
    auto root = DirectoryHandle::openRoot(cache_);
    for (const char* name : {"packs", "staging", "locks"})
        root.make(name);
}

std::optional<DirectoryHandle> PackStore::root() const {
    try {
        return DirectoryHandle::openRoot(cache_);
    } catch (const ContentError&) {
        return std::nullopt;
    }
}

std::optional<DirectoryHandle> PackStore::find(const std::string& name) const {
    auto cache = root();
    return cache ? cache->find(name) : std::nullopt;
}

DirectoryHandle PackStore::open(const std::string& name) const {
    return DirectoryHandle::openRoot(cache_).open(name);
}

std::optional<DirectoryHandle> PackStore::openPack(const std::string& tag) const {
    auto packs = find("packs");
    return packs ? packs->find(tag) : std::nullopt;
}

std::optional<PackManifest> PackStore::manifestCopy(const DirectoryHandle& folder,
                                                    const std::string& tag, const Vouch& vouch,
                                                    FileStamp& copy) const {
    struct stat info {};
    if (!vouch && folder.status(PackManifest::kInstalledFileName, info)) {
        std::lock_guard lock(read_->mutex);
        auto found = read_->manifests.find(tag);
        if (found != read_->manifests.end() && found->second.first == FileStamp::of(info)) {
            copy = found->second.first;
            return found->second.second;
        }
    }
    auto text =
        folder.readFile(PackManifest::kInstalledFileName, PackManifest::kMaxJsonSize, &copy);
    if (!text || text->empty() || (vouch && !vouch(*text)))
        return std::nullopt;
    try {
        auto manifest = PackManifest::parse(*text);
        if (manifest.tag() != tag)
            return std::nullopt;
        std::lock_guard lock(read_->mutex);
        read_->manifests.insert_or_assign(tag, std::pair{copy, manifest});
        return manifest;
    } catch (const ContentError&) {
        return std::nullopt;
    }
}

std::optional<PackStore::Installed> PackStore::installed(const std::string& tag,
                                                         const Vouch& vouch) const {
    auto folder = openPack(tag);
    if (!folder)
        return std::nullopt;
    FileStamp copy;
    auto manifest = manifestCopy(*folder, tag, vouch, copy);
    if (!manifest)
        return std::nullopt;
    Installed pack{std::move(*manifest), copy.size, {}};
    pack.stamps[PackManifest::kInstalledFileName] = copy;
    struct stat signature {};
    if (folder->status(PackManifest::kInstalledSignatureName, signature) &&
        S_ISREG(signature.st_mode)) {
        pack.manifestBytes += static_cast<std::uint64_t>(signature.st_size);
        pack.stamps[PackManifest::kInstalledSignatureName] = FileStamp::of(signature);
    }
    for (const auto& file : pack.manifest.files()) {
        struct stat info {};
        if (!folder->status(file.name, info) || !S_ISREG(info.st_mode) ||
            static_cast<std::uint64_t>(info.st_size) != file.size)
            return std::nullopt;
        pack.stamps[file.name] = FileStamp::of(info);
    }
    return pack;
}

std::optional<InstallRecord> PackStore::record(const std::string& tag) const {
    auto folder = openPack(tag);
    struct stat info {};
    if (!folder || !folder->status(kInstallRecordName, info))
        return std::nullopt;
    {
        std::lock_guard lock(read_->mutex);
        auto found = read_->records.find(tag);
        if (found != read_->records.end() && found->second.first == FileStamp::of(info))
            return found->second.second;
    }
    FileStamp stamp;
    auto text = folder->readFile(kInstallRecordName, InstallRecord::kMaxSize, &stamp);
    auto parsed = text ? InstallRecord::parse(*text) : std::nullopt;
    if (text) {
        std::lock_guard lock(read_->mutex);
        read_->records.insert_or_assign(tag, std::pair{stamp, parsed});
    }
    return parsed;
}

bool PackStore::isRecordedSound(const std::string& tag, const Stamps& now,
                                std::string_view keyFile) const {
    auto found = record(tag);
    if (!found || found->entries != now || found->keyFile != keyFile)
        return false;
    if (found->sound == InstallRecord::kVerified)
        return true;
    std::string boot = currentBootId();
    return !boot.empty() && found->sound == InstallRecord::kBootPrefix + boot;
}

void PackStore::recordVerified(const std::string& tag, const Stamps& stamps,
                               std::string_view keyFile, std::int64_t hashedAt) const {
    writeRecord(open("packs").open(tag),
                {InstallRecord::kVerified, hashedAt, std::string(keyFile), stamps});
}

void PackStore::restamp(const std::string& tag, const Stamps& before) const {
    auto folder = openPack(tag);
    auto found = folder ? record(tag) : std::nullopt;
    if (!found)
        return;
    bool changed = false;
    for (const auto& [name, stamp] : before) {
        auto entry = found->entries.find(name);
        struct stat info {};
        if (entry == found->entries.end() || entry->second != stamp || !folder->status(name, info))
            continue;
        auto now = FileStamp::of(info);
        // The same file, of the same size: a link changes nothing else.
        if (now == stamp || now.device != stamp.device || now.inode != stamp.inode ||
            now.size != stamp.size)
            continue;
        entry->second = now;
        changed = true;
    }
    if (changed)
        writeRecord(*folder, *found);
}

bool PackStore::isRecordCurrent(const std::string& tag) const {
    auto pack = installed(tag);
    auto found = pack ? record(tag) : std::nullopt;
    return found && found->entries == pack->stamps;
}

std::optional<std::string> PackStore::recordedKey(const std::string& tag) const {
    auto found = record(tag);
    if (!found)
        return std::nullopt;
    return found->keyFile;
}

void PackStore::remove(const std::string& tag) const {
    auto packs = open("packs");
    struct stat info {};
    if (!packs.status(tag, info)) {
        if (errno == ENOENT)
            return;
        fileio::throwStorageError(errno, "remove", packs / tag);
    }
    // Readers see the whole pack or none: it leaves the packs folder in one rename.
    auto staging = open("staging");
    auto aside = staging.makeUnique(tag + ".");
    try {
        packs.rename(tag, staging, aside);
    } catch (const ContentError&) {
        staging.removeQuietly(aside);
        throw;
    }
    staging.remove(aside);
}

void PackStore::writeInstallRecord(const DirectoryHandle& staging, const Stamps& stamps,
                                   std::string_view keyFile, std::int64_t hashedAt) const {
    std::string boot = currentBootId();
    if (!boot.empty()) {
        writeRecord(staging,
                    {InstallRecord::kBootPrefix + boot, hashedAt, std::string(keyFile), stamps});
        return;
    }
    if (::syncfs(staging.fd()) != 0)
        fileio::throwStorageError(errno, "sync", staging.path());
    writeRecord(staging, {InstallRecord::kVerified, hashedAt, std::string(keyFile), stamps});
}

std::string PackStore::currentBootId() {
    std::string id = AtomicFile::read("/proc/sys/kernel/random/boot_id").value_or("");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

void PackStore::removeLeftovers(const std::string& heldTag) const {
    auto staging = open("staging");
    for (const auto& name : staging.names()) {
        if (name.ends_with(kResumeSuffix) &&
            PackManifest::isSafeName(name.substr(0, name.size() - std::strlen(kResumeSuffix))))
            continue;
        std::string tag = stagingTagOf(name);
        if (tag == heldTag) {
            staging.remove(name);
        } else if (!PackManifest::isSafeName(tag)) {
            // Nothing of ours has such a name: not a download anyone could be running.
            staging.remove(name);
        } else if (auto lock = tryLock(tag)) {
            staging.remove(name);
        }
    }
}

void PackStore::install(const std::string& tag, const std::string& name,
                        const DirectoryHandle& staging) const {
    auto stagingFolder = open("staging");
    auto packs = open("packs");
    // Whatever was swapped in under the staging name since is not what was verified.
    if (!stagingFolder.holds(name, staging))
        throw ContentError(LKSOnDemandStorageError,
                           "cannot install " + staging.path().string() +
                               ": it was replaced while the pack was written into it");
    const char* from = name.c_str();
    if (::renameat(stagingFolder.fd(), from, packs.fd(), tag.c_str()) != 0) {
        if (errno != EEXIST && errno != ENOTEMPTY && errno != ENOTDIR)
            fileio::throwStorageError(errno, "install", packs / tag);
        // An older pack is installed: swap the two folders atomically, then drop the old one,
        // which now sits at the staging name.
        if (::renameat2(stagingFolder.fd(), from, packs.fd(), tag.c_str(), RENAME_EXCHANGE) == 0) {
            stagingFolder.removeQuietly(name);
        } else if (errno == EINVAL || errno == ENOSYS) {
            // No atomic exchange on this file system: move the old pack aside first.
            auto aside = stagingFolder.makeUnique(tag + ".");
            packs.rename(tag, stagingFolder, aside);
            if (::renameat(stagingFolder.fd(), from, packs.fd(), tag.c_str()) != 0) {
                int error = errno;
                ::renameat(stagingFolder.fd(), aside.c_str(), packs.fd(), tag.c_str());
                fileio::throwStorageError(error, "install", packs / tag);
            }
            stagingFolder.removeQuietly(aside);
        } else {
            fileio::throwStorageError(errno, "install", packs / tag);
        }
    }
    packs.sync();
}

// The lock file of a tag. Anything else in its place (a link, a FIFO, a folder) is nobody's
// lock: it is removed, a link itself and never its target, and a lock file made instead.
UniqueFd PackStore::openLockFile(const std::string& tag) const {
    auto locks = open("locks");
    const std::string name = tag + ".lock";
    UniqueFd fd = locks.openFile(name, O_RDWR | O_CREAT);
    if (!fd && (errno == ELOOP || errno == EINVAL || errno == ENXIO || errno == EISDIR)) {
        locks.removeQuietly(name);
        fd = locks.openFile(name, O_RDWR | O_CREAT);
    }
    if (!fd)
        fileio::throwStorageError(errno, "open", locks / name);
    return fd;
}

std::optional<PackStore::TagLock> PackStore::tryLock(const std::string& tag) const {
    UniqueFd fd;
    try {
        fd = openLockFile(tag);
    } catch (const ContentError&) {
        return std::nullopt;  // a lock that cannot be taken: what it guards is left alone
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;
    return TagLock(std::move(fd));
}

PackStore::TagLock PackStore::lock(const std::string& tag,
                                   const std::atomic<bool>& cancelled) const {
    UniqueFd fd = openLockFile(tag);
    // Polled, so that a service shutting down is not stuck behind another process's download.
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            fileio::throwStorageError(errno, "lock", cache_ / "locks" / (tag + ".lock"));
        if (cancelled.load())
            throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return TagLock(std::move(fd));
}
