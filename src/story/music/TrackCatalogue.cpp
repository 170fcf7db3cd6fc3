#include "story/music/TrackCatalogue.h"

#include <array>

namespace {

const std::array<Track, 7> kTracks{{
    {"Mend the Sky", "Mend the Sky"},
    {"Night Bulletin 4", "Night Bulletin Tonight (Last Issue)"},
    {"Adrift on Starlight Adieu", "Adrift on Starlight (Adieu)"},
    {"Story Holds", "Far Descendants/ Story Holds (Reprise)"},
    {"Someday", "Someday (Brief Return)"},
    {"Bright Morning Rising", "Bright Morning Rising"},
    {"Echo of Starlight", "The Echo of Starlight (Goodbye)"},
}};

}  // namespace

Track trackForTag(long long tag) {
    if (tag < 0 || tag >= static_cast<long long>(kTracks.size()))
        return {};
    return kTracks[static_cast<std::size_t>(tag)];
}
