#pragma once

#include <string>

#include "story/app/AppDelegate.h"

// The product's pages outside the application.
inline constexpr const char* kSocialNetworkPageAddress =
    "https://www.facebook.com/LarkspireStories";
inline constexpr const char* kHomepageAddress = "https://www.larkspire-stories.com";

// Hands `address` to the platform to open outside the application, with no
// options and without waiting for the outcome.
void openAddressOutside(const std::string& address);

// The guard in front of every link: while the gate is up the screen shows its
// gate prompt and nothing opens, not even after a right answer (the reader
// presses again); once the gate is down the address opens at once.
template <typename Screen>
void openGuardedLink(Screen& screen, const std::string& address) {
    if (screen.appDelegate->parentalGateEnabled) {
        screen.showParentalGate();
        return;
    }
    openAddressOutside(address);
}
