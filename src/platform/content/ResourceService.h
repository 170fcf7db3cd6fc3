#pragma once

#include <functional>
#include <memory>
#include <string>

class NSError;
class NSProgress;

// The on-demand resource service behind NSBundleResourceRequest.
class ResourceService {
public:
    using Completion = std::function<void(std::shared_ptr<NSError> error)>;

    virtual ~ResourceService() = default;

    // The folder in which the files of `tag` are found once the pack is
    // installed. Never shows a partial or unverified file.
    virtual std::string bundleDirectory(const std::string& tag) = 0;

    // Starts making the pack of `tag` available. Sets `progress` from 0.0 to
    // 1.0 on any thread, then calls `completion` exactly once, on any thread,
    // with null on success or the error.
    virtual void beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                                Completion completion) = 0;
};
