#pragma once

#include <functional>
#include <memory>
#include <string>

class NSBundleResourceRequest;
class NSError;
class NSObject;

// Starts on-demand requests and reports their end on the main queue.
class ResourceManager {
public:
    // Created on first use, once, even if first used from two threads at once.
    static ResourceManager& shared();

    // Starts a request for `tag` at urgent priority and returns it; the caller
    // keeps it. `observer` follows its progress. Exactly one of the callbacks
    // runs, once, on the main queue, after the observer has been unregistered.
    std::shared_ptr<NSBundleResourceRequest> requestResources(
        const std::string& tag, const std::shared_ptr<NSObject>& observer,
        std::function<void()> onSuccess,
        std::function<void(const std::shared_ptr<NSError>& error)> onFailure);

private:
    ResourceManager() = default;
};
