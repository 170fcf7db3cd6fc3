#pragma once

#include <optional>
#include <string>

// Tells whether a file holds audio a player can play, before any player is
// made, so that creating a player can fail at once for an empty file or a
// text file named ".mp3". Reads MPEG audio, WAV, Ogg and FLAC with libsndfile.
struct AudioFileInfo {
    // Absent when the file does not say how long it plays.
    std::optional<double> duration;
};

std::optional<AudioFileInfo> probeAudioFile(const std::string& path, std::string& error);
