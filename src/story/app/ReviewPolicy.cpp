#include "story/app/ReviewPolicy.h"

#include <string>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/review/SKStoreReviewController.h"
#include "story/app/UserDefaultsKeys.h"

void requestReviewIfDue() {
    auto version = NSBundle::mainBundle()->objectForInfoDictionaryKey(kCFBundleVersionKey);
    const std::string* currentVersion = version ? std::get_if<std::string>(&*version) : nullptr;
    if (!currentVersion)
        return;
    auto defaults = NSUserDefaults::standardUserDefaults();
    std::optional<std::string> lastVersion = defaults->stringForKey(kLastVersionKey);
    long long count = defaults->integerForKey(kNumberOfTimesLaunchedKey);
    if (count < kReviewLaunchThreshold)
        return;
    if (lastVersion && *lastVersion == *currentVersion)
        return;
    SKStoreReviewController::requestReview();
    defaults->setObject(*currentVersion, kLastVersionKey);
}
