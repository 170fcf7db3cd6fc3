#include "platform/media/AudioFileProbe.h"

#include <sndfile.h>

std::optional<AudioFileInfo> probeAudioFile(const std::string& path, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "not a playable audio file: " + std::string(sf_strerror(nullptr));
        return std::nullopt;
    }
    sf_close(file);
    AudioFileInfo probed;
    if (info.samplerate > 0 && info.frames > 0 && info.frames != SF_COUNT_MAX)
        probed.duration = double(info.frames) / info.samplerate;
    return probed;
}
