#include "story/app/AppDelegate.h"

#include <limits>

#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "story/app/ReviewPolicy.h"
#include "story/app/UserDefaultsKeys.h"

AppDelegate::AppDelegate() : window_(nullptr), parentalGateEnabled(true) {}

std::shared_ptr<AppDelegate> AppDelegate::shared() {
    // The delegate is always this class.
    return std::static_pointer_cast<AppDelegate>(UIApplication::sharedApplication().delegate());
}

bool AppDelegate::applicationDidFinishLaunchingWithOptions(UIApplication&,
                                                           const UIApplicationLaunchOptions&) {
    auto defaults = NSUserDefaults::standardUserDefaults();
    long long count = defaults->integerForKey(kNumberOfTimesLaunchedKey);
    // At the largest value the count stays there instead of wrapping negative.
    if (count < std::numeric_limits<long long>::max())
        ++count;
    defaults->setInteger(count, kNumberOfTimesLaunchedKey);
    requestReviewIfDue();
    NSThread::sleepForTimeInterval(3.0);
    return true;
}
