#include "story/content/ResourceManager.h"

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSProgress.h"
#include "platform/resources/NSBundleResourceRequest.h"

ResourceManager& ResourceManager::shared() {
    // A function-local static is initialised exactly once, thread-safely.
    static ResourceManager instance;
    return instance;
}

std::shared_ptr<NSBundleResourceRequest> ResourceManager::requestResources(
    const std::string& tag, const std::shared_ptr<NSObject>& observer,
    std::function<void()> onSuccess,
    std::function<void(const std::shared_ptr<NSError>&)> onFailure) {
    auto request = NSBundleResourceRequest::initWithTags({tag});
    request->setLoadingPriority(NSBundleResourceRequestLoadingPriorityUrgent);
    request->beginAccessingResourcesWithCompletionHandler(
        [observer, request, onSuccess, onFailure](std::shared_ptr<NSError> error) {
            // Called on the service's thread: everything else happens on the main queue.
            NSOperationQueue::mainQueue().addOperationWithBlock(
                [observer, request, error, onSuccess, onFailure] {
                    if (observer)
                        request->progress()->removeObserver(observer, "fractionCompleted");
                    if (!error)
                        onSuccess();
                    else
                        onFailure(error);
                });
        });
    if (observer)
        request->progress()->addObserver(
            observer, "fractionCompleted",
            NSKeyValueObservingOptionNew | NSKeyValueObservingOptionInitial, nullptr);
    return request;
}
