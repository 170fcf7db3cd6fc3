#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/foundation/NSObject.h"

class NSBundle;
class NSError;
class NSProgress;
class PackLibrary;

inline constexpr double NSBundleResourceRequestLoadingPriorityUrgent = 1.0;

// A request for the on-demand files of one tag, made through the pack library of the running
// platform. Its bundle is the pack's folder, whose files are found once a request of this run
// for the tag has succeeded (PackLibrary::isVerified), and not before, whatever the disk holds;
// and then only those its manifest lists.
class NSBundleResourceRequest : public NSObject {
public:
    static std::shared_ptr<NSBundleResourceRequest> initWithTags(std::set<std::string> tags);

    void setLoadingPriority(double priority) { loadingPriority_ = priority; }
    double loadingPriority() const { return loadingPriority_; }

    // Starts the fetch; `completion` runs once, on any thread, with the error naming the cause.
    void beginAccessingResourcesWithCompletionHandler(
        std::function<void(std::shared_ptr<NSError> error)> completion);

    const std::shared_ptr<NSProgress>& progress() const { return progress_; }
    const std::shared_ptr<NSBundle>& bundle() const { return bundle_; }
    const std::set<std::string>& tags() const { return tags_; }

    explicit NSBundleResourceRequest(std::set<std::string> tags);

private:
    std::set<std::string> tags_;
    double loadingPriority_ = 0.5;
    std::shared_ptr<NSProgress> progress_;
    std::shared_ptr<NSBundle> bundle_;
    // Weak: the library's service holds the pending completions, which hold the request.
    std::weak_ptr<PackLibrary> packs_;
};
