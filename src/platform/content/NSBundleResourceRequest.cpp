#include "platform/content/NSBundleResourceRequest.h"

#include <stdexcept>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/content/ResourceService.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

NSBundleResourceRequest::NSBundleResourceRequest(std::set<std::string> tags)
    : tags_(std::move(tags)), progress_(NSProgress::make()) {
    if (tags_.size() != 1)
        throw std::invalid_argument("a resource request takes exactly one tag");
    bundle_ = std::make_shared<NSBundle>(
        Platform::environment().resources->bundleDirectory(*tags_.begin()));
}

std::shared_ptr<NSBundleResourceRequest> NSBundleResourceRequest::initWithTags(
    std::set<std::string> tags) {
    return std::make_shared<NSBundleResourceRequest>(std::move(tags));
}

void NSBundleResourceRequest::beginAccessingResourcesWithCompletionHandler(
    std::function<void(std::shared_ptr<NSError>)> completion) {
    // The backend hears of an installed pack before the caller, on the completion's thread.
    std::weak_ptr<PlatformBackend> backend = Platform::environment().backend;
    const std::string& tag = *tags_.begin();
    Platform::environment().resources->beginAccessing(
        tag, progress_,
        [backend, tag, completion = std::move(completion)](std::shared_ptr<NSError> error) {
            if (auto strongBackend = backend.lock(); strongBackend && !error)
                strongBackend->contentDidArrive(tag);
            completion(std::move(error));
        });
}
