#pragma once

#include <functional>
#include <memory>

class NSOperationQueue {
public:
    static NSOperationQueue& mainQueue();
    // Runs `block` on the main thread after the blocks posted before it. Any thread.
    void addOperationWithBlock(std::function<void()> block);
};
