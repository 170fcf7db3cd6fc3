#include "story/gate/LinkGuard.h"

#include "platform/foundation/NSURL.h"
#include "platform/ui/UIApplication.h"

void openAddressOutside(const std::string& address) {
    auto& application = UIApplication::sharedApplication();
    // The fixed addresses always form a URL; a text that did not would open
    // nothing (the platform refuses an absent URL).
    auto url = NSURL::URLWithString(address);
    application.openURL(url, {}, nullptr);
}
