#pragma once

#include "run/RunOptions.h"

// The packs from a terminal, for setting up a machine before a trip: list them, download them
// with a progress line, remove one. They go through the pack library of a run, with the same
// cache and content source as the window. Returns the exit status: 0, or 1 with the cause on
// standard error.
int runPackCommand(const RunOptions& options);
