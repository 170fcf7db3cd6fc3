#pragma once

#include <string>

// The media files the players have open now: a pack is not removed or replaced from under a
// child's song or chapter. Players add their file while they play (a video while its player is
// open), which also takes a shared flock(2) on the file so that other processes see it.
namespace PlayingMedia {

void opened(const std::string& path);
void closed(const std::string& path);
// Whether an open file lies inside `directory`.
bool anyUnder(const std::string& directory);

}  // namespace PlayingMedia
