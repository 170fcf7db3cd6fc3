#pragma once

#include <optional>
#include <string>

// Tells whether a file holds audio a player can play, before any player is
// made, so that creating a player can fail at once for an empty file or a
// text file named ".mp3". Knows MPEG audio (with or without ID3 tags), WAV,
// Ogg and FLAC.
struct AudioFileInfo {
    std::string format;
    // Known for MPEG audio and WAV; absent otherwise.
    std::optional<double> duration;
};

std::optional<AudioFileInfo> probeAudioFile(const std::string& path, std::string& error);
