#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class NSError;
class NSProgress;

// A pack installed on this machine, the bytes its files take on disk, and its edition (the
// number its publisher raises with every change; 0 where the service keeps none).
struct PackOnDisk {
    std::string tag;
    std::uint64_t bytes = 0;
    std::uint64_t edition = 0;
};

// What asking the content source for a newer edition of an installed pack found.
struct PackUpdate {
    enum class Found { upToDate, available, installed, notDue };
    Found found = Found::upToDate;
    std::uint64_t edition = 0;       // the one installed (upToDate, notDue), else the newer one
    std::uint64_t bytesToFetch = 0;  // what installing it would fetch (available)
};

// What hashing the files of an installed pack again found.
struct PackCheck {
    bool done = false;                 // false: not due, or left for later (the pack was busy)
    std::vector<std::string> damaged;  // missing or not matching; no longer handed out
};

// The on-demand resource service behind NSBundleResourceRequest and the pack library.
class ResourceService {
public:
    using Completion = std::function<void(std::shared_ptr<NSError> error)>;
    using UpdateCompletion =
        std::function<void(const PackUpdate& update, std::shared_ptr<NSError>)>;
    using CheckCompletion = std::function<void(const PackCheck& check, std::shared_ptr<NSError>)>;

    virtual ~ResourceService() = default;

    // The folder in which the files of `tag` are found once the pack is
    // installed. Never shows a partial or unverified file.
    virtual std::string bundleDirectory(const std::string& tag) = 0;

    // Starts making the pack of `tag` available. Sets `progress` from 0.0 to
    // 1.0 on any thread, then calls `completion` exactly once, on any thread,
    // with null on success or the error, whose description names the cause.
    virtual void beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                                Completion completion) = 0;

    // The packs installed now, by tag, read from disk without any network.
    virtual std::vector<PackOnDisk> installedPacks() = 0;
    // Whether the installed files of `tag` are still as the service's last check of them left
    // them. A service that keeps no record of its checks says yes.
    virtual bool unchangedSinceChecked(const std::string&) { return true; }
    // Removes the installed pack of `tag`; nothing when none is installed. Throws
    // std::runtime_error naming the cause when it cannot.
    virtual void removePack(const std::string& tag) = 0;
    // Bytes that downloads may still take on the disk of the cache, or nothing when unknown.
    virtual std::optional<std::uint64_t> availableSpace() = 0;
    // The names of the files the installed manifest of `tag` lists: the only ones its bundle
    // hands out. Empty when none is installed.
    virtual std::vector<std::string> packFiles(const std::string& tag) = 0;

    // Asks the content source whether it offers a newer edition of the installed pack of `tag`
    // and, with `install`, installs it, setting `progress` as it arrives; the installed edition
    // stays playable throughout, and after any failure. With `whenDue`, asks nothing when it
    // asked less than a day ago. `completion` runs once, on any thread.
    virtual void updatePack(const std::string& tag, bool whenDue, bool install,
                            std::shared_ptr<NSProgress> progress, UpdateCompletion completion) = 0;
    // Hashes the installed files of `tag` again against their signed manifest. With
    // `background`, only when that was last done 30 days ago or more, at low priority, and left
    // for later when a file of the pack plays. `completion` runs once, on any thread.
    virtual void checkPack(const std::string& tag, bool background, CheckCompletion completion) = 0;
};
