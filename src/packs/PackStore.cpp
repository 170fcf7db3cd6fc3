#include "packs/PackStore.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "packs/ContentError.h"
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

void removeTree(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error)
        fileio::throwStorageError(error.value(), "remove", path);
}

// The new pack is in place by then; what could not be removed goes with the next leftovers.
void removeQuietly(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

// The lock file of a tag. Anything else in its place (a link, a FIFO, a folder) is nobody's
// lock: it is removed, a link itself and never its target, and a lock file made instead.
UniqueFd openLockFile(const std::filesystem::path& path) {
    UniqueFd fd = fileio::openRegular(path, O_RDWR | O_CREAT);
    if (!fd && (errno == ELOOP || errno == EINVAL || errno == ENXIO || errno == EISDIR)) {
        removeQuietly(path);
        fd = fileio::openRegular(path, O_RDWR | O_CREAT);
    }
    return fd;
}

constexpr const char* kVerifiedRecord = "verified";
constexpr const char* kBootRecordPrefix = "installed in boot ";
constexpr std::size_t kMaxRecordSize = 256;

}  // namespace

PackStore::PackStore(std::filesystem::path cacheDirectory) : cache_(std::move(cacheDirectory)) {}

std::filesystem::path PackStore::packDirectory(const std::string& tag) const {
    return cache_ / "packs" / tag;
}

void PackStore::prepare() const {
    makeDirectory(cache_);
    fileio::makeRealDirectory(cache_ / "packs");
    fileio::makeRealDirectory(stagingDirectory());
    fileio::makeRealDirectory(cache_ / "locks");
}

std::optional<PackStore::Installed> PackStore::installed(const std::string& tag,
                                                         const Vouch& vouch) const {
    auto directory = packDirectory(tag);
    if (!fileio::isRealDirectory(cache_ / "packs") || !fileio::isRealDirectory(directory))
        return std::nullopt;
    auto text = fileio::readRegular(directory / PackManifest::kInstalledFileName,
                                    PackManifest::kMaxJsonSize);
    if (!text || text->empty() || (vouch && !vouch(*text)))
        return std::nullopt;
    try {
        Installed pack{PackManifest::parse(*text), text->size()};
        if (pack.manifest.tag() != tag)
            return std::nullopt;
        struct stat signature {};
        auto signaturePath = directory / PackManifest::kInstalledSignatureName;
        if (::lstat(signaturePath.c_str(), &signature) == 0 && S_ISREG(signature.st_mode))
            pack.manifestBytes += static_cast<std::uint64_t>(signature.st_size);
        for (const auto& file : pack.manifest.files()) {
            struct stat info {};
            auto path = directory / file.name;
            if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
                static_cast<std::uint64_t>(info.st_size) != file.size)
                return std::nullopt;
        }
        return pack;
    } catch (const ContentError&) {
        return std::nullopt;
    }
}

std::optional<std::uint64_t> PackStore::installedBytes(const std::string& tag) const {
    auto pack = installed(tag);
    if (!pack)
        return std::nullopt;
    return pack->manifest.totalSize() + pack->manifestBytes;
}

bool PackStore::isRecordedSound(const std::string& tag) const {
    auto record =
        fileio::readRegular(packDirectory(tag) / kInstallRecordName, kMaxRecordSize).value_or("");
    if (record == kVerifiedRecord)
        return true;
    std::string boot = currentBootId();
    return !boot.empty() && record == kBootRecordPrefix + boot;
}

void PackStore::recordVerified(const std::string& tag) const {
    writeRecord(packDirectory(tag), kVerifiedRecord);
}

void PackStore::remove(const std::string& tag) const {
    auto target = packDirectory(tag);
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return;
        fileio::throwStorageError(errno, "remove", target);
    }
    // Readers see the whole pack or none: it leaves the packs folder in one rename.
    auto aside = createStaging(tag);
    if (::rename(target.c_str(), aside.c_str()) != 0) {
        int error = errno;
        removeQuietly(aside);
        fileio::throwStorageError(error, "remove", target);
    }
    removeTree(aside);
}

void PackStore::writeInstallRecord(const std::filesystem::path& staging) const {
    std::string boot = currentBootId();
    if (!boot.empty()) {
        writeRecord(staging, kBootRecordPrefix + boot);
        return;
    }
    fileio::syncFileSystem(staging);
    writeRecord(staging, kVerifiedRecord);
}

void PackStore::writeRecord(const std::filesystem::path& directory, const std::string& text) const {
    auto path = directory / kInstallRecordName;
    try {
        AtomicFile::replace(path, text);
    } catch (const std::system_error& error) {
        fileio::throwStorageError(error.code().value(), "write", path);
    }
}

std::string PackStore::currentBootId() {
    std::string id = AtomicFile::read("/proc/sys/kernel/random/boot_id").value_or("");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

void PackStore::removeLeftovers(const std::string& heldTag) const {
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(stagingDirectory(), error))
        entries.push_back(entry.path());
    if (error)
        fileio::throwStorageError(error.value(), "list", stagingDirectory());
    for (const auto& entry : entries) {
        std::string name = entry.filename().string();
        if (name.ends_with(kResumeSuffix) &&
            PackManifest::isSafeName(name.substr(0, name.size() - std::strlen(kResumeSuffix))))
            continue;
        std::string tag = stagingTagOf(name);
        if (tag == heldTag) {
            removeTree(entry);
        } else if (!PackManifest::isSafeName(tag)) {
            // Nothing of ours has such a name: not a download anyone could be running.
            removeTree(entry);
        } else if (auto lock = tryLock(tag)) {
            removeTree(entry);
        }
    }
}

std::filesystem::path PackStore::createStaging(const std::string& tag) const {
    std::string pattern = (stagingDirectory() / (tag + ".XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        fileio::throwStorageError(errno, "create", pattern);
    return pattern;
}

void PackStore::install(const std::string& tag, const std::filesystem::path& staging) const {
    auto target = packDirectory(tag);
    if (::rename(staging.c_str(), target.c_str()) != 0) {
        if (errno != EEXIST && errno != ENOTEMPTY && errno != ENOTDIR)
            fileio::throwStorageError(errno, "install", target);
        // An older pack is installed: swap the two folders atomically, then drop the old one,
        // which now sits at the staging path.
        if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) ==
            0) {
            removeQuietly(staging);
        } else if (errno == EINVAL || errno == ENOSYS) {
            // No atomic exchange on this file system: move the old pack aside first.
            auto aside = createStaging(tag);
            if (::rename(target.c_str(), aside.c_str()) != 0)
                fileio::throwStorageError(errno, "replace", target);
            if (::rename(staging.c_str(), target.c_str()) != 0) {
                int error = errno;
                ::rename(aside.c_str(), target.c_str());
                fileio::throwStorageError(error, "install", target);
            }
            removeQuietly(aside);
        } else {
            fileio::throwStorageError(errno, "install", target);
        }
    }
    fileio::syncDirectory(target.parent_path());
}

std::optional<PackStore::TagLock> PackStore::tryLock(const std::string& tag) const {
    auto path = cache_ / "locks" / (tag + ".lock");
    UniqueFd fd = openLockFile(path);
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;
    return TagLock(std::move(fd));
}

PackStore::TagLock PackStore::lock(const std::string& tag,
                                   const std::atomic<bool>& cancelled) const {
    auto path = cache_ / "locks" / (tag + ".lock");
    UniqueFd fd = openLockFile(path);
    if (!fd)
        fileio::throwStorageError(errno, "open", path);
    // Polled, so that a service shutting down is not stuck behind another process's download.
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            fileio::throwStorageError(errno, "lock", path);
        if (cancelled.load())
            throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return TagLock(std::move(fd));
}
