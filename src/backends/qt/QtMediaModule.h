#pragma once

#include <string>

class QtMedia;

// The media of the module at `path`, loaded the first time and never unloaded (players and
// their threads run its code to the end); none when it cannot be loaded, which is said once on
// the terminal, since no chapter or song can play until the installation is mended.
QtMedia* loadQtMedia(const std::string& path);
