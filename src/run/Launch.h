#pragma once

// The application's own main on the installed environment; a broken interface
// description is reported and ends the run with status 1.
int launchApplication(int argc, char** argv);

// Whether a window system is there to show a window on.
bool displayAvailable();
