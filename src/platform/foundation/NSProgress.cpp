#include "platform/foundation/NSProgress.h"

#include <algorithm>
#include <stdexcept>

double NSProgress::fractionCompleted() const {
    std::lock_guard lock(mutex_);
    return fraction_;
}

void NSProgress::setFractionCompleted(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    std::vector<Registration> registrations;
    {
        std::lock_guard lock(mutex_);
        if (fraction == fraction_)
            return;
        fraction_ = fraction;
        registrations = registrations_;
    }
    notify(registrations, fraction);
}

void NSProgress::addObserver(const std::shared_ptr<NSObject>& observer, const std::string& keyPath,
                             unsigned options, void* context) {
    if (keyPath != "fractionCompleted")
        throw std::invalid_argument("NSProgress: no observable key path " + keyPath);
    Registration registration{observer, observer.get(), keyPath, options, context};
    double value;
    {
        std::lock_guard lock(mutex_);
        registrations_.push_back(registration);
        value = fraction_;
    }
    if (options & NSKeyValueObservingOptionInitial)
        notify({registration}, value);
}

void NSProgress::removeObserver(const std::shared_ptr<NSObject>& observer,
                                const std::string& keyPath) {
    std::lock_guard lock(mutex_);
    auto match = std::find_if(registrations_.begin(), registrations_.end(), [&](auto& r) {
        return r.identity == observer.get() && r.keyPath == keyPath;
    });
    if (match != registrations_.end())
        registrations_.erase(match);
}

std::size_t NSProgress::observerCount() const {
    std::lock_guard lock(mutex_);
    return registrations_.size();
}

void NSProgress::notify(const std::vector<Registration>& registrations, double value) {
    auto self = shared_from_this();
    for (const auto& registration : registrations) {
        if (auto observer = registration.observer.lock()) {
            NSKeyValueChange change{value};
            observer->observeValueForKeyPath(registration.keyPath, self, change,
                                             registration.context);
        }
    }
}
