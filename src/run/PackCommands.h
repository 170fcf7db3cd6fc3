#pragma once

#include "run/RunOptions.h"

// The packs from a terminal, for setting up a machine before a trip: list them, download them
// with a progress line, remove one. They use the same cache and content source as the window.
// Returns the exit status: 0, or 1 with the cause on standard error.
int runPackCommand(const RunOptions& options);
