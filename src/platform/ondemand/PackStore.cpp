#include "platform/ondemand/PackStore.h"

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

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NSError.h"
#include "platform/ondemand/ContentError.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/Sha256.h"

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

constexpr const char* kVerifiedRecord = "verified";
constexpr const char* kBootRecordPrefix = "installed in boot ";

}  // namespace

PackStore::PackStore(std::filesystem::path cacheDirectory) : cache_(std::move(cacheDirectory)) {}

std::filesystem::path PackStore::packDirectory(const std::string& tag) const {
    return cache_ / "packs" / tag;
}

void PackStore::prepare() const {
    makeDirectory(cache_ / "packs");
    makeDirectory(stagingDirectory());
    makeDirectory(cache_ / "locks");
}

bool PackStore::isInstalledIntact(const std::string& tag) const {
    auto directory = packDirectory(tag);
    std::string manifestText =
        AtomicFile::read(directory / PackManifest::kInstalledFileName).value_or("");
    if (manifestText.empty())
        return false;
    try {
        PackManifest manifest = PackManifest::parse(manifestText);
        if (manifest.tag() != tag)
            return false;
        for (const auto& file : manifest.files()) {
            struct stat info {};
            auto path = directory / file.name;
            if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
                static_cast<std::uint64_t>(info.st_size) != file.size)
                return false;
        }
        std::string record = AtomicFile::read(directory / kInstallRecordName).value_or("");
        if (record == kVerifiedRecord)
            return true;
        std::string boot = currentBootId();
        if (!boot.empty() && record == kBootRecordPrefix + boot)
            return true;
        // Installed in an earlier boot and not checked since: what is on disk now is final.
        if (!hashesMatch(directory, manifest))
            return false;
        writeRecord(directory, kVerifiedRecord);
        return true;
    } catch (const ContentError&) {
        return false;
    }
}

std::optional<std::uint64_t> PackStore::installedBytes(const std::string& tag) const {
    auto directory = packDirectory(tag);
    auto manifestPath = directory / PackManifest::kInstalledFileName;
    std::string manifestText = AtomicFile::read(manifestPath).value_or("");
    if (manifestText.empty())
        return std::nullopt;
    try {
        PackManifest manifest = PackManifest::parse(manifestText);
        if (manifest.tag() != tag)
            return std::nullopt;
        for (const auto& file : manifest.files()) {
            struct stat info {};
            auto path = directory / file.name;
            if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
                static_cast<std::uint64_t>(info.st_size) != file.size)
                return std::nullopt;
        }
        return manifest.totalSize() + manifestText.size();
    } catch (const ContentError&) {
        return std::nullopt;
    }
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

bool PackStore::hashesMatch(const std::filesystem::path& directory,
                            const PackManifest& manifest) const {
    std::vector<char> buffer(1024 * 1024);
    for (const auto& file : manifest.files()) {
        auto path = directory / file.name;
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd)
            return false;
        Sha256 hasher;
        for (;;) {
            ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return false;
            if (got == 0)
                break;
            hasher.update(buffer.data(), static_cast<std::size_t>(got));
        }
        if (hasher.finishHex() != file.sha256)
            return false;
    }
    return true;
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
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;
    return TagLock(std::move(fd));
}

PackStore::TagLock PackStore::lock(const std::string& tag,
                                   const std::atomic<bool>& cancelled) const {
    auto path = cache_ / "locks" / (tag + ".lock");
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
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
