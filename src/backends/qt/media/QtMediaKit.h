#pragma once

#include "backends/qt/QtMedia.h"

// The media on Qt Multimedia, for a program that links them in rather than loading the module.
QtMedia& linkedQtMedia();
