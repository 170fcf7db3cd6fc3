#pragma once

#include <memory>
#include <string>

// Error codes of the on-demand resource service. The story code knows 4992
// (out of space); the rest distinguish the ways a fetch can fail, for the debug
// log and the tests.
enum NSBundleOnDemandResourceErrorCode : long {
    NSBundleOnDemandResourceOutOfSpaceError = 4992,
    NSBundleOnDemandResourceInvalidTagError = 4994,
    LKSOnDemandNetworkError = 4995,
    LKSOnDemandHTTPError = 4996,
    LKSOnDemandSizeMismatchError = 4997,
    LKSOnDemandChecksumMismatchError = 4998,
    LKSOnDemandBadManifestError = 4999,
    LKSOnDemandStorageError = 5000,
    // The manifest is unsigned, or not by a trusted publisher, or an edition that may not
    // replace the one installed, or expired: the pack is refused.
    LKSOnDemandUntrustedError = 5001,
    // An update or a check of a pack that is not installed.
    LKSOnDemandNotInstalledError = 5002,
};

// What a failed request hands its caller: a code the story code may read, and the cause in
// words for the log.
class NSError {
public:
    NSError(long code, std::string description)
        : code_(code), description_(std::move(description)) {}

    static std::shared_ptr<NSError> make(long code, std::string description) {
        return std::make_shared<NSError>(code, std::move(description));
    }

    long code() const { return code_; }
    const std::string& localizedDescription() const { return description_; }

private:
    long code_;
    std::string description_;
};
