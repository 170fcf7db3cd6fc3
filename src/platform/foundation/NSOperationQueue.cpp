#include "platform/foundation/NSOperationQueue.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

NSOperationQueue& NSOperationQueue::mainQueue() {
    static NSOperationQueue queue;
    return queue;
}

void NSOperationQueue::addOperationWithBlock(std::function<void()> block) {
    Platform::backend().postToMainQueue(std::move(block));
}
