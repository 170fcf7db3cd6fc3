#pragma once

#include "run/RunOptions.h"

// Runs the application the way the options say: in a window or as the guided tour on Qt,
// headless, playing a scenario, or a pack command. Returns the exit status.
int runApplication(int argc, char** argv, const RunOptions& options);
