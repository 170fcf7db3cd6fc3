#pragma once

#include "run/RunOptions.h"

// The application on the headless backend, printing what it did; or playing a scenario on
// its virtual clock. Each returns the exit status.
int runHeadless(int argc, char** argv, const RunOptions& options);
int runScenario(int argc, char** argv, const RunOptions& options);
