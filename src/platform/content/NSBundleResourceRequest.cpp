#include "platform/content/NSBundleResourceRequest.h"

#include <stdexcept>

#include "platform/Platform.h"
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
    Platform::environment().resources->beginAccessing(*tags_.begin(), progress_,
                                                      std::move(completion));
}
