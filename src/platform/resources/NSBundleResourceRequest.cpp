#include "platform/resources/NSBundleResourceRequest.h"

#include <stdexcept>

#include "platform/Platform.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/resources/PackLibrary.h"

NSBundleResourceRequest::NSBundleResourceRequest(std::set<std::string> tags)
    : tags_(std::move(tags)), progress_(NSProgress::make()) {
    if (tags_.size() != 1)
        throw std::invalid_argument("a resource request takes exactly one tag");
    // The library the composition root installed with the platform's services.
    auto packs = Platform::environment().packs;
    packs_ = packs;
    // Its files are handed to a player only once a request of this run has checked them.
    std::weak_ptr<PackLibrary> library = packs;
    bundle_ = std::make_shared<NSBundle>(packs->bundleDirectory(*tags_.begin()),
                                         [library, tag = *tags_.begin()](const std::string& file) {
                                             auto alive = library.lock();
                                             return alive && alive->isVerified(tag, file);
                                         });
}

std::shared_ptr<NSBundleResourceRequest> NSBundleResourceRequest::initWithTags(
    std::set<std::string> tags) {
    return std::make_shared<NSBundleResourceRequest>(std::move(tags));
}

void NSBundleResourceRequest::beginAccessingResourcesWithCompletionHandler(
    std::function<void(std::shared_ptr<NSError>)> completion) {
    auto packs = packs_.lock();
    if (!packs) {
        completion(NSError::make(LKSOnDemandStorageError, "the application is closing"));
        return;
    }
    packs->request(*tags_.begin(), progress_, std::move(completion));
}
