#pragma once

#include "backends/qt/QtMedia.h"

// The players, for a program that links them in rather than loading the module.
QtMedia& linkedQtMedia();
