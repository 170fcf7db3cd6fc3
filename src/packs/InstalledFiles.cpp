#include "packs/InstalledFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "packs/ContentError.h"
#include "packs/InstalledPackCheck.h"
#include "packs/VerifiedFileWriter.h"
#include "platform/foundation/NSError.h"

namespace installedfiles {

namespace {

// One file of the installed pack into staging: a hard link, or a copy where the disk has no
// links; false when neither could be made, and then nothing of it stays in staging.
bool takeOne(const DirectoryHandle& installed, const DirectoryHandle& staging,
             const std::string& name, const WriteFunction& write) {
    staging.removeQuietly(name);
    if (::linkat(installed.fd(), name.c_str(), staging.fd(), name.c_str(), 0) == 0)
        return true;
    UniqueFd from = installed.openFile(name, O_RDONLY);
    UniqueFd to = from ? staging.openFile(name, O_WRONLY | O_CREAT | O_EXCL) : UniqueFd();
    if (!to)
        return false;
    std::vector<char> buffer(VerifiedFileWriter::kReadBufferSize);
    for (;;) {
        ssize_t got = ::read(from.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            staging.removeQuietly(name);
            return false;
        }
        if (got == 0)
            return true;
        fileio::writeAll(write, to.get(), buffer.data(), static_cast<std::size_t>(got),
                         staging / name);
    }
}

}  // namespace

std::set<std::string> alike(const PackStore& store, const PackManifest& manifest) {
    std::set<std::string> names;
    auto folder = store.openPack(manifest.tag());
    auto json = folder
                    ? folder->readFile(PackManifest::kInstalledFileName, PackManifest::kMaxJsonSize)
                    : std::nullopt;
    if (!json)
        return names;
    try {
        auto installed = PackManifest::parse(*json);
        for (const auto& file : manifest.files()) {
            if (std::any_of(installed.files().begin(), installed.files().end(),
                            [&](const PackFile& old) {
                                return old.name == file.name && old.size == file.size &&
                                       old.sha256 == file.sha256;
                            }))
                names.insert(file.name);
        }
    } catch (const ContentError&) {
    }
    return names;
}

PackStore::Stamps stampsOf(const PackStore& store, const std::string& tag) {
    PackStore::Stamps stamps;
    auto folder = store.openPack(tag);
    for (const auto& name : folder ? folder->names() : std::vector<std::string>()) {
        struct stat info {};
        if (folder->status(name, info) && S_ISREG(info.st_mode))
            stamps[name] = FileStamp::of(info);
    }
    return stamps;
}

PackStore::Stamps take(const PackStore& store, const PackManifest& manifest,
                       const std::set<std::string>& alike, const DirectoryHandle& staging,
                       const WriteFunction& write, const std::atomic<bool>& cancelled,
                       const std::function<void(std::uint64_t bytes)>& onChecked) {
    PackStore::Stamps taken;
    auto installed = alike.empty() ? std::nullopt : store.openPack(manifest.tag());
    if (!installed)
        return taken;
    // A link changes the installed file's change time, which its install record holds: all are
    // linked first and the record learns their new times at once, so that the installed pack's
    // lookups fail for a moment at most; then each is hashed.
    PackStore::Stamps before;
    for (const auto& file : manifest.files()) {
        struct stat info {};
        if (alike.contains(file.name) && installed->status(file.name, info) &&
            S_ISREG(info.st_mode) && takeOne(*installed, staging, file.name, write))
            before[file.name] = FileStamp::of(info);
    }
    store.restamp(manifest.tag(), before);
    PackStore::Stamps linked;
    for (const auto& [name, stamp] : before) {
        struct stat info {};
        if (staging.status(name, info))
            linked[name] = FileStamp::of(info);
    }
    try {
        for (const auto& file : manifest.files()) {
            if (!before.contains(file.name))
                continue;
            if (cancelled.load())
                throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
            FileStamp stamp;
            if (hashOfFile(staging, file.name, stamp) != file.sha256 || stamp.size != file.size) {
                staging.removeQuietly(file.name);
                continue;
            }
            taken[file.name] = stamp;
            onChecked(file.size);
        }
    } catch (...) {
        // Stopped midway: the links go, and the installed record learns what that changes.
        for (const auto& [name, stamp] : linked)
            staging.removeQuietly(name);
        store.restamp(manifest.tag(), linked);
        throw;
    }
    return taken;
}

}  // namespace installedfiles
