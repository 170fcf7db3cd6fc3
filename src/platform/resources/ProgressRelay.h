#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/NSObject.h"

class NSProgress;

// The progress the pack library hands the service for one piece of work. It passes each change
// on to the caller's progress, on the worker's thread as the caller expects, and to the library
// by way of the main queue, until stop().
class ProgressRelay : public NSObject {
public:
    using MainQueue = std::function<void(std::function<void()> block)>;

    static std::shared_ptr<ProgressRelay> start(std::shared_ptr<NSProgress> caller,
                                                MainQueue mainQueue,
                                                std::function<void(double)> onMain);
    ProgressRelay(std::shared_ptr<NSProgress> caller, MainQueue mainQueue,
                  std::function<void(double)> onMain);

    const std::shared_ptr<NSProgress>& progress() const { return tracked_; }
    void stop();

    void observeValueForKeyPath(const std::optional<std::string>& keyPath,
                                const std::shared_ptr<NSObject>& object,
                                const NSKeyValueChange& change, void* context) override;

private:
    std::shared_ptr<NSProgress> tracked_;
    std::shared_ptr<NSProgress> caller_;
    MainQueue mainQueue_;
    std::function<void(double)> onMain_;
};
