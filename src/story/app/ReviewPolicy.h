#pragma once

// Asks for the store-review prompt from the fourth launch on, once per build version.
void requestReviewIfDue();

inline constexpr long long kReviewLaunchThreshold = 4;
