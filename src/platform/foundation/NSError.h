#pragma once

#include <memory>
#include <string>

// Error codes of the on-demand resource service. The story code knows 4992
// (out of space) and 4994 (no such tag); the rest distinguish the ways a fetch
// can fail, for the debug log and the tests.
enum NSBundleOnDemandResourceErrorCode : long {
    NSBundleOnDemandResourceOutOfSpaceError = 4992,
    NSBundleOnDemandResourceExceededMaximumSizeError = 4993,
    NSBundleOnDemandResourceInvalidTagError = 4994,
    LKSOnDemandNetworkError = 4995,
    LKSOnDemandHTTPError = 4996,
    LKSOnDemandSizeMismatchError = 4997,
    LKSOnDemandChecksumMismatchError = 4998,
    LKSOnDemandBadManifestError = 4999,
    LKSOnDemandStorageError = 5000,
    // The manifest is unsigned, or not by a trusted publisher: the pack is refused.
    LKSOnDemandUntrustedError = 5001,
};

// The domain of the errors this application makes itself.
inline constexpr const char* kLarkspireErrorDomain = "LarkspireErrorDomain";

class NSError {
public:
    NSError(std::string domain, long code, std::string description)
        : domain_(std::move(domain)), code_(code), description_(std::move(description)) {}

    static std::shared_ptr<NSError> make(long code, std::string description,
                                         std::string domain = kLarkspireErrorDomain) {
        return std::make_shared<NSError>(std::move(domain), code, std::move(description));
    }

    const std::string& domain() const { return domain_; }
    long code() const { return code_; }
    const std::string& localizedDescription() const { return description_; }

private:
    std::string domain_;
    long code_;
    std::string description_;
};
