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
#include <sstream>
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

// The install record:
//   larkspire-install-record 2
//   verified | installed in boot <boot id>
//   key <the trusted key file's bytes, hex>
//   file <device> <inode> <size> <change time: s> <ns> <name>    one line per entry
constexpr const char* kRecordHeader = "larkspire-install-record 2";
constexpr const char* kVerifiedRecord = "verified";
constexpr const char* kBootRecordPrefix = "installed in boot ";
// One short line per file, so shorter than the manifest it was made from, and a key file.
constexpr std::size_t kMaxRecordSize = PackManifest::kMaxJsonSize + 64 * 1024;

struct Record {
    std::string sound;
    std::string keyFile;
    PackStore::Stamps entries;
};

std::string textOf(const Record& record) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = std::string(kRecordHeader) + "\n" + record.sound + "\nkey ";
    for (unsigned char byte : record.keyFile)
        text += {kDigits[byte >> 4], kDigits[byte & 15]};
    text += "\n";
    for (const auto& [name, stamp] : record.entries) {
        text += "file " + std::to_string(stamp.device) + " " + std::to_string(stamp.inode) + " " +
                std::to_string(stamp.size) + " " + std::to_string(stamp.changedSeconds) + " " +
                std::to_string(stamp.changedNanoseconds) + " " + name + "\n";
    }
    return text;
}

// Whatever does not read as a record written by textOf() is none.
std::optional<Record> parseRecord(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    Record record;
    if (!std::getline(in, line) || line != kRecordHeader || !std::getline(in, record.sound) ||
        !std::getline(in, line) || !line.starts_with("key ") || line.size() % 2 != 0)
        return std::nullopt;
    for (std::size_t i = 4; i < line.size(); i += 2) {
        unsigned byte = 0;
        if (std::sscanf(line.c_str() + i, "%2x", &byte) != 1)
            return std::nullopt;
        record.keyFile += static_cast<char>(byte);
    }
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word, name;
        FileStamp stamp;
        if (!(fields >> word >> stamp.device >> stamp.inode >> stamp.size >> stamp.changedSeconds >>
              stamp.changedNanoseconds) ||
            word != "file" || fields.get() != ' ' || !std::getline(fields, name) ||
            !record.entries.emplace(name, stamp).second)
            return std::nullopt;
    }
    return record;
}

void writeRecord(const DirectoryHandle& folder, const Record& record) {
    folder.replaceFile(PackStore::kInstallRecordName, textOf(record));
}

}  // namespace

PackStore::PackStore(std::filesystem::path cacheDirectory) : cache_(std::move(cacheDirectory)) {}

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

std::optional<PackStore::Installed> PackStore::installed(const std::string& tag,
                                                         const Vouch& vouch) const {
    auto folder = openPack(tag);
    if (!folder)
        return std::nullopt;
    FileStamp copy;
    auto text =
        folder->readFile(PackManifest::kInstalledFileName, PackManifest::kMaxJsonSize, &copy);
    if (!text || text->empty() || (vouch && !vouch(*text)))
        return std::nullopt;
    try {
        Installed pack{PackManifest::parse(*text), text->size(), {}};
        if (pack.manifest.tag() != tag)
            return std::nullopt;
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

bool PackStore::isRecordedSound(const std::string& tag, const Stamps& now,
                                std::string_view keyFile) const {
    auto folder = openPack(tag);
    if (!folder)
        return false;
    auto record = parseRecord(folder->readFile(kInstallRecordName, kMaxRecordSize).value_or(""));
    if (!record || record->entries != now || record->keyFile != keyFile)
        return false;
    if (record->sound == kVerifiedRecord)
        return true;
    std::string boot = currentBootId();
    return !boot.empty() && record->sound == kBootRecordPrefix + boot;
}

void PackStore::recordVerified(const std::string& tag, const Stamps& stamps,
                               std::string_view keyFile) const {
    writeRecord(open("packs").open(tag), {kVerifiedRecord, std::string(keyFile), stamps});
}

bool PackStore::isRecordCurrent(const std::string& tag) const {
    auto pack = installed(tag);
    auto folder = openPack(tag);
    auto record =
        folder ? parseRecord(folder->readFile(kInstallRecordName, kMaxRecordSize).value_or(""))
               : std::nullopt;
    return pack && record && record->entries == pack->stamps;
}

std::optional<std::string> PackStore::recordedKey(const std::string& tag) const {
    auto folder = openPack(tag);
    auto text = folder ? folder->readFile(kInstallRecordName, kMaxRecordSize) : std::nullopt;
    auto record = text ? parseRecord(*text) : std::nullopt;
    if (!record)
        return std::nullopt;
    return record->keyFile;
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
                                   std::string_view keyFile) const {
    std::string boot = currentBootId();
    if (!boot.empty()) {
        writeRecord(staging, {kBootRecordPrefix + boot, std::string(keyFile), stamps});
        return;
    }
    if (::syncfs(staging.fd()) != 0)
        fileio::throwStorageError(errno, "sync", staging.path());
    writeRecord(staging, {kVerifiedRecord, std::string(keyFile), stamps});
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
