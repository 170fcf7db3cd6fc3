#pragma once

// Every key the application keeps in the user-defaults store.
inline constexpr const char* kNumberOfTimesLaunchedKey = "numberOfTimesLaunched";
inline constexpr const char* kLastVersionKey = "lastVersion";
