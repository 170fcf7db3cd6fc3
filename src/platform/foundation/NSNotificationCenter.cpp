#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>

NSNotificationCenter& NSNotificationCenter::defaultCenter() {
    static NSNotificationCenter center;
    return center;
}

void NSNotificationCenter::add(const std::shared_ptr<NSObject>& observer, const std::string& name,
                               const std::shared_ptr<NSObject>& object,
                               std::function<void(const NSNotification&)> call) {
    std::lock_guard lock(mutex_);
    pruneLocked();
    registrations_.push_back({observer, name, object, object == nullptr, std::move(call)});
}

void NSNotificationCenter::removeObserver(const std::shared_ptr<NSObject>& observer) {
    std::lock_guard lock(mutex_);
    std::erase_if(registrations_, [&](const Registration& r) {
        auto registered = r.observer.lock();
        return !registered || registered == observer;
    });
}

void NSNotificationCenter::postNotificationName(const std::string& name,
                                                const std::shared_ptr<NSObject>& object) {
    std::vector<std::function<void(const NSNotification&)>> calls;
    {
        std::lock_guard lock(mutex_);
        pruneLocked();
        for (const auto& r : registrations_) {
            if (r.name != name)
                continue;
            if (!r.anyObject && r.object.lock() != object)
                continue;
            calls.push_back(r.call);
        }
    }
    NSNotification notification{name, object};
    for (auto& call : calls)
        call(notification);
}

std::size_t NSNotificationCenter::observerCount() {
    std::lock_guard lock(mutex_);
    pruneLocked();
    return registrations_.size();
}

void NSNotificationCenter::removeAllObservers() {
    std::lock_guard lock(mutex_);
    registrations_.clear();
}

void NSNotificationCenter::pruneLocked() {
    std::erase_if(registrations_, [](const Registration& r) {
        return r.observer.expired() || (!r.anyObject && r.object.expired());
    });
}
