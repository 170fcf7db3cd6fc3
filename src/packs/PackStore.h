#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "packs/FileIo.h"
#include "packs/InstallRecord.h"
#include "packs/PackManifest.h"

// The cache layout of installed packs:
//   <cache>/packs/<Tag>/            installed files and a copy of the manifest
//   <cache>/staging/<Tag>.resume/   the download of <Tag>: in progress, or what a cut one kept
//                                   for the next request to carry on from (checked before use)
//   <cache>/staging/<Tag>.XXXXXX/   an old pack moved aside while a new one is installed
//   <cache>/locks/<Tag>.lock        held while a process works on <Tag>
//   <cache>/editions/<Tag>          the newest edition of <Tag> accepted (EditionRecord.h)
// Every folder below the cache folder is reached through DirectoryHandle, never through a link.
// Tags given here must already be safe names (PackManifest::isSafeName).
class PackStore {
public:
    explicit PackStore(std::filesystem::path cacheDirectory);

    const std::filesystem::path& cacheDirectory() const { return cache_; }
    std::filesystem::path packDirectory(const std::string& tag) const;
    std::filesystem::path stagingDirectory() const { return cache_ / "staging"; }
    static constexpr const char* kResumeSuffix = ".resume";

    // Creates the cache folders if needed, each a real folder: a link or a file where one
    // belongs is replaced, so nothing is ever written through it. The cache folder itself may
    // be a link, the user's choice. Throws ContentError (storage).
    void prepare() const;

    // The stamps of a pack's entries (its files, manifest copy and signature), by name.
    using Stamps = std::map<std::string, FileStamp>;
    // The manifest copy of an installed <Tag>, the bytes it and its signature take, and the
    // stamps of its entries as they were looked at (the manifest copy's as it was read).
    struct Installed {
        PackManifest manifest;
        std::uint64_t manifestBytes = 0;
        Stamps stamps;
    };
    // Whether the text of a manifest copy may be read at all.
    using Vouch = std::function<bool(std::string_view json)>;
    // The installed <Tag> when its folder, manifest copy and every file are regular entries (no
    // link), each file has its announced size, and `vouch` (when given) accepts the copy's text
    // before anything in it is read. Reads no file's contents.
    std::optional<Installed> installed(const std::string& tag, const Vouch& vouch = {}) const;
    // The folder of the installed <Tag>, or nothing when it, or a folder on the way, is
    // missing or not a real folder.
    std::optional<DirectoryHandle> openPack(const std::string& tag) const;
    // The real cache folder `name` ("packs", "staging", "locks"), or nothing.
    std::optional<DirectoryHandle> find(const std::string& name) const;
    // The real cache folder `name`; throws ContentError (storage) when there is none.
    DirectoryHandle open(const std::string& name) const;

    // True when the install record of <Tag> vouches for the bytes of its files: it names the
    // very entries `now` stamps, each unchanged since it was hashed, and `keyFile`, the trusted
    // key file that verified the manifest copy; and it was written in this boot (a crash, which
    // could leave files of the right size with the wrong bytes because installs do not wait for
    // data to reach the disk, always means a new boot), or the files were checked since. A
    // record that is missing, damaged or of an older form vouches for nothing.
    bool isRecordedSound(const std::string& tag, const Stamps& now, std::string_view keyFile) const;
    // Records that the entries of the installed <Tag>, as `stamps` says they were when hashed
    // at `hashedAt` (seconds since 1970), were checked against their hashes, and that `keyFile`
    // verified its manifest copy.
    void recordVerified(const std::string& tag, const Stamps& stamps, std::string_view keyFile,
                        std::int64_t hashedAt) const;
    // The install record of <Tag> as it reads now (InstallRecord.h), or nothing when it is
    // missing or damaged. Parsed again only when the file changed since it was last read.
    std::optional<InstallRecord> record(const std::string& tag) const;
    // After the files named in `before` gained or lost a hard link, which changes nothing but
    // their change time: the install record of <Tag> takes each one's stamp as it is now, where it
    // held the stamp `before` gives. Nothing when there is no record or nothing to change.
    void restamp(const std::string& tag, const Stamps& before) const;
    // Whether the install record of <Tag> names its entries as they are now. Reads no file's
    // contents but the manifest copy and the record.
    bool isRecordCurrent(const std::string& tag) const;
    // The bytes of the trusted key file the install record of <Tag> names, if it is readable.
    std::optional<std::string> recordedKey(const std::string& tag) const;

    // Removes the installed <Tag>, if any: moved aside in one rename, then deleted. The caller
    // holds its lock. Throws ContentError (storage).
    void remove(const std::string& tag) const;

    // Writes the install record into a staging folder about to be installed, for its entries as
    // `stamps` says they were when hashed, verified by `keyFile`: the current boot, or, where
    // boots cannot be told apart, that the data was synced (it syncs it first).
    void writeInstallRecord(const DirectoryHandle& staging, const Stamps& stamps,
                            std::string_view keyFile, std::int64_t hashedAt) const;

    // This boot's identity, or "" where the system does not tell.
    static std::string currentBootId();
    // The install record inside a pack folder; a dot-name, which no pack file may have.
    static constexpr const char* kInstallRecordName = ".install-record";

    // Removes what earlier attempts left in staging: every folder of `heldTag`, whose lock the
    // caller holds, and those of other tags that no thread or process is working on. The
    // resume folders stay, for their tag's next request.
    void removeLeftovers(const std::string& heldTag) const;

    // Replaces the installed <Tag> with the verified staging folder `name`, which `staging`
    // holds open, in one rename, so readers see either the old pack or the new one, and removes
    // the old one. Throws ContentError (storage) when `name` is no longer that folder.
    void install(const std::string& tag, const std::string& name,
                 const DirectoryHandle& staging) const;

    // Exclusive lock on <Tag> across threads and processes; released on destruction.
    class TagLock {
    public:
        explicit TagLock(UniqueFd fd) : fd_(std::move(fd)) {}

    private:
        UniqueFd fd_;
    };
    // Waits for the lock; throws ContentError (network, "cancelled") if `cancelled` is set
    // meanwhile.
    TagLock lock(const std::string& tag, const std::atomic<bool>& cancelled) const;
    // The lock if nobody holds it now.
    std::optional<TagLock> tryLock(const std::string& tag) const;

private:
    struct ReadCache;
    std::optional<DirectoryHandle> root() const;
    UniqueFd openLockFile(const std::string& tag) const;
    // The manifest copy in `folder`, read as installed() does; `copy` gets its stamp.
    std::optional<PackManifest> manifestCopy(const DirectoryHandle& folder, const std::string& tag,
                                             const Vouch& vouch, FileStamp& copy) const;

    std::filesystem::path cache_;
    std::shared_ptr<ReadCache> read_;  // shared by copies: one cache per cache folder
};
