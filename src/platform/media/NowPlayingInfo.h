#pragma once

#include <string>

#include "platform/foundation/LocalizedText.h"

// What plays as a reader would name it: the title and picture of the button whose tap started
// it (a song's tile, a chapter's), which the desktop's player controls show.
struct NowPlayingInfo {
    LocalizedText title;
    std::string artwork;  // a picture of the interface descriptions or the bundle, or none

    // Of the control whose actions run now; without one, the file's own name, and no picture.
    static NowPlayingInfo startedBy(const std::string& path);
};
