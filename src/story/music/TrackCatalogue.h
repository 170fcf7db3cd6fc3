#pragma once

#include <string>

// One song of the "Audio" pack: the base name of its ".mp3" file and the
// title shown while it plays. The two differ for most songs.
struct Track {
    std::string fileName;
    std::string title;
};

// The song of the track button with `tag` (0 to 6). Any other tag names no
// song: both texts are empty, and the lookup then simply misses.
Track trackForTag(long long tag);
