#include "platform/NSBundleResourceRequest.h"

#include <stdexcept>

#include "platform/NSBundle.h"
#include "platform/NSError.h"
#include "platform/NSProgress.h"
#include "platform/Platform.h"
#include "platform/ResourceService.h"

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
