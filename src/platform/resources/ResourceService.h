#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class NSError;
class NSProgress;

// A pack installed on this machine and the bytes its files take on disk.
struct PackOnDisk {
    std::string tag;
    std::uint64_t bytes = 0;
};

// The on-demand resource service behind NSBundleResourceRequest and the pack library.
class ResourceService {
public:
    using Completion = std::function<void(std::shared_ptr<NSError> error)>;

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
};
