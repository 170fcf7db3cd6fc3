#pragma once

class SKStoreReviewController {
public:
    // Asks the platform for its review prompt; whether it shows one is its own decision.
    static void requestReview();
};
