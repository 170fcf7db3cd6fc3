#pragma once

#include <string>

// The elapsed time of a track as "MM:SS": whole seconds truncated toward
// zero, minutes not wrapped into hours (6000 s reads "100:00").
std::string trackPositionText(double seconds);
