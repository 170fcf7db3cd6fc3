#pragma once

#include <memory>
#include <string>

#include "platform/foundation/FailureCause.h"

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

// The cause a code stands for when nothing more precise is known. Inline: the pack module,
// loaded at the first download, makes errors without linking the seam.
inline FailureCause failureCauseOf(long code) {
    switch (code) {
        case NSBundleOnDemandResourceOutOfSpaceError:
            return FailureCause::noSpace;
        case NSBundleOnDemandResourceInvalidTagError:
            return FailureCause::notOnServer;
        case LKSOnDemandNetworkError:
            return FailureCause::unreachable;
        case LKSOnDemandHTTPError:
            return FailureCause::serverRefused;
        case LKSOnDemandSizeMismatchError:
        case LKSOnDemandChecksumMismatchError:
        case LKSOnDemandBadManifestError:
            return FailureCause::damagedDownload;
        case LKSOnDemandStorageError:
            return FailureCause::diskFailed;
        case LKSOnDemandUntrustedError:
            return FailureCause::untrusted;
        case LKSOnDemandNotInstalledError:
            return FailureCause::notInstalled;
        default:
            return FailureCause::unknown;
    }
}

// What a failed request hands its caller: a code the story code may read, the cause in
// words for the log, and the cause as a grown-up is told it.
class NSError {
public:
    NSError(long code, std::string description)
        : NSError(code, std::move(description), failureCauseOf(code)) {}
    NSError(long code, std::string description, FailureCause cause)
        : code_(code), description_(std::move(description)), cause_(cause) {}

    static std::shared_ptr<NSError> make(long code, std::string description) {
        return std::make_shared<NSError>(code, std::move(description));
    }
    static std::shared_ptr<NSError> make(long code, std::string description, FailureCause cause) {
        return std::make_shared<NSError>(code, std::move(description), cause);
    }

    long code() const { return code_; }
    const std::string& localizedDescription() const { return description_; }
    FailureCause cause() const { return cause_; }

private:
    long code_;
    std::string description_;
    FailureCause cause_;
};
