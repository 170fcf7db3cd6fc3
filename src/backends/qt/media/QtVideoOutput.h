#pragma once

#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QVideoSink>
#include <functional>
#include <memory>

#include "backends/qt/QtMedia.h"
#include "backends/qt/media/QtFramesInFlight.h"
#include "backends/qt/media/QtMediaPlayback.h"
#include "backends/qt/media/QtOutputDevices.h"
#include "backends/qt/media/QtPendingPosition.h"
#include "platform/PlatformBackend.h"

class AVPlayerItem;

// Plays an AVPlayer's item with Qt Multimedia. The frames go to a video sink
// that the player screen paints; the end of the item is reported once, on the
// main queue. With nothing to hear the sound through, the chapter plays without a
// sound output: GStreamer would otherwise try every kind of output in turn (JACK,
// OpenAL, OSS), loading each one's libraries, some 4 MB, only to play into nothing.
// An output that appears while it plays is taken up then.
class QtVideoOutput : public VideoOutput, public QtPlayingOutput {
public:
    using Post = std::function<void(std::function<void()>)>;
    QtVideoOutput(AVPlayer& player, Post post);

    void play() override { player_.play(); }
    void pause() override { player_.pause(); }
    double currentTime() const override { return position_.seconds(); }
    void seekTo(double seconds) override { position_.set(seconds); }

    QtPlayback& playback() override { return playback_; }
    QtVideoPicture* makePicture(QWidget* parent) override;
    QVideoSink& videoSink() { return sink_; }

private:
    void takeUpSoundOutput();

    QtFramesInFlight framesInFlight_;
    QtOutputDevices outputDevices_;
    QMediaDevices devices_;
    // Declared before the player, so that the player goes first.
    QVideoSink sink_;
    std::unique_ptr<QAudioOutput> audio_;
    QMediaPlayer player_;
    QtMediaPlayback playback_{player_};
    QtPendingPosition position_{player_};
};
