#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>
#include <functional>
#include <string>

#include "backends/qt/QtMedia.h"
#include "backends/qt/media/QtMediaPlayback.h"
#include "backends/qt/media/QtOutputDevices.h"
#include "backends/qt/media/QtPendingPosition.h"
#include "platform/PlatformBackend.h"

// Plays an audio file with Qt Multimedia for an AVAudioPlayer. Stopping
// pauses, as the player keeps its position until it is set; dropping the
// output ends the sound.
class QtAudioOutput : public AudioOutput, public QtPlayingOutput {
public:
    using Post = std::function<void(std::function<void()>)>;
    // `post` runs a block on the main queue: the end of the file is reported there.
    QtAudioOutput(const std::string& path, Post post);

    void play() override;
    void stop() override { player_.pause(); }
    double currentTime() const override { return position_.seconds(); }
    void setCurrentTime(double seconds) override { position_.set(seconds); }

    QtPlayback& playback() override { return playback_; }

private:
    QtOutputDevices outputDevices_;
    QAudioOutput audio_;
    QMediaPlayer player_;
    QtMediaPlayback playback_{player_};
    QtPendingPosition position_{player_};
};
