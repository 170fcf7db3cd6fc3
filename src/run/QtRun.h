#pragma once

#include "run/RunOptions.h"

// The application on Qt: in a window, or as the guided tour (a scenario played in real time
// with screenshots). Returns the exit status.
int runOnQt(int argc, char** argv, const RunOptions& options);
