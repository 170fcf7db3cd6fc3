#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/NSObject.h"

struct NSNotification {
    std::string name;
    std::shared_ptr<NSObject> object;
};

// Observers and their objects are held weakly: a registration whose observer
// is gone is never called and is dropped, so nothing needs removing by hand.
class NSNotificationCenter {
public:
    static NSNotificationCenter& defaultCenter();

    template <typename Observer>
    void addObserver(const std::shared_ptr<Observer>& observer,
                     void (Observer::*selector)(const NSNotification&), const std::string& name,
                     const std::shared_ptr<NSObject>& object) {
        std::weak_ptr<Observer> weakObserver = observer;
        add(observer, name, object, [weakObserver, selector](const NSNotification& note) {
            if (auto strongObserver = weakObserver.lock())
                ((*strongObserver).*selector)(note);
        });
    }

    void removeObserver(const std::shared_ptr<NSObject>& observer);
    void postNotificationName(const std::string& name, const std::shared_ptr<NSObject>& object);

    // Registrations whose observer is still alive.
    std::size_t observerCount();
    void removeAllObservers();

private:
    struct Registration {
        std::weak_ptr<NSObject> observer;
        std::string name;
        std::weak_ptr<NSObject> object;
        bool anyObject;
        std::function<void(const NSNotification&)> call;
    };
    void add(const std::shared_ptr<NSObject>& observer, const std::string& name,
             const std::shared_ptr<NSObject>& object,
             std::function<void(const NSNotification&)> call);
    void pruneLocked();

    std::mutex mutex_;
    std::vector<Registration> registrations_;
};
