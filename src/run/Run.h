#pragma once

#include "run/RunOptions.h"

// The three ways to run the application: in a window on Qt, as the guided tour
// on Qt (a scenario played in real time with screenshots), and headless,
// optionally playing a scenario on the virtual clock. Returns the exit status.
int runApplication(int argc, char** argv, const RunOptions& options);

int runOnQt(int argc, char** argv, const RunOptions& options);
int runHeadless(int argc, char** argv, const RunOptions& options);
int runScenario(int argc, char** argv, const RunOptions& options);

// The application's own main on the installed environment; a broken interface
// description is reported and ends the run with status 1.
int launchApplication(int argc, char** argv);

// Whether a window system is there to show a window on.
bool displayAvailable();
