#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/NSObject.h"

// A main-thread timer. The run loop keeps a scheduled timer alive until it is
// invalidated. Unlike a strong target, the target here is held weakly: a timer
// whose target is gone invalidates itself instead of keeping the target alive.
class NSTimer : public NSObject {
public:
    template <typename Target>
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(
        double interval, const std::shared_ptr<Target>& target, void (Target::*selector)(),
        std::nullptr_t /*userInfo*/, bool repeats) {
        std::weak_ptr<Target> weakTarget = target;
        return schedule(interval, repeats, [weakTarget, selector](NSTimer& timer) {
            if (auto strongTarget = weakTarget.lock())
                ((*strongTarget).*selector)();
            else
                timer.invalidate();
        });
    }

    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(
        double interval, bool repeats, std::function<void(NSTimer&)> block) {
        return schedule(interval, repeats, std::move(block));
    }

    ~NSTimer() override;

    void invalidate();
    bool isValid() const { return valid_; }

    // Timers scheduled and not yet invalidated, in the whole process.
    static std::size_t validTimerCount();

private:
    static std::shared_ptr<NSTimer> schedule(double interval, bool repeats,
                                             std::function<void(NSTimer&)> block);
    void fire();

    double interval_ = 0;
    bool repeats_ = false;
    bool valid_ = false;
    std::uint64_t backendTimer_ = 0;
    std::function<void(NSTimer&)> block_;
};
