#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/NSObject.h"

// Progress of an on-demand request. The service sets the fraction from its
// worker thread and observers are called right there, on that thread: an
// observer that touches a view hands the change to the main queue first.
class NSProgress : public NSObject {
public:
    static std::shared_ptr<NSProgress> make() { return std::make_shared<NSProgress>(); }

    double fractionCompleted() const;
    // Sets the fraction (clamped to 0...1) and notifies the observers when it changed.
    void setFractionCompleted(double fraction);

    // Observers are held weakly; "fractionCompleted" is the only key path.
    void addObserver(const std::shared_ptr<NSObject>& observer, const std::string& keyPath,
                     unsigned options, void* context);
    void removeObserver(const std::shared_ptr<NSObject>& observer, const std::string& keyPath);
    std::size_t observerCount() const;

private:
    struct Registration {
        std::weak_ptr<NSObject> observer;
        NSObject* identity;
        std::string keyPath;
        unsigned options;
        void* context;
    };
    void notify(const std::vector<Registration>& registrations, double value);

    mutable std::mutex mutex_;
    double fraction_ = 0.0;
    std::vector<Registration> registrations_;
};
