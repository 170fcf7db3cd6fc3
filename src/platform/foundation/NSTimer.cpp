#include "platform/foundation/NSTimer.h"

#include <atomic>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

namespace {
std::atomic<std::size_t> gValidTimers{0};
}

std::shared_ptr<NSTimer> NSTimer::schedule(double interval, bool repeats,
                                           std::function<void(NSTimer&)> block) {
    auto timer = std::make_shared<NSTimer>();
    timer->interval_ = interval;
    timer->repeats_ = repeats;
    timer->block_ = std::move(block);
    timer->valid_ = true;
    ++gValidTimers;
    // The backend's closure is the run loop's strong reference.
    timer->backendTimer_ =
        Platform::backend().scheduleTimer(interval, repeats, [timer] { timer->fire(); });
    return timer;
}

NSTimer::~NSTimer() {
    if (valid_)
        --gValidTimers;
}

void NSTimer::fire() {
    if (!valid_)
        return;
    // Keep this timer alive through the block even if the block invalidates it.
    auto self = sharedFrom(this);
    block_(*this);
    if (!repeats_)
        invalidate();
}

void NSTimer::invalidate() {
    if (!valid_)
        return;
    valid_ = false;
    --gValidTimers;
    block_ = nullptr;
    if (Platform::installed())
        Platform::backend().cancelTimer(backendTimer_);
}

std::size_t NSTimer::validTimerCount() {
    return gValidTimers;
}
