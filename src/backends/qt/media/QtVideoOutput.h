#pragma once

#include <QMediaDevices>
#include <functional>
#include <memory>

#include "backends/qt/QtMedia.h"
#include "backends/qt/media/QtFramesInFlight.h"
#include "backends/qt/media/QtOutputDevices.h"
#include "backends/qt/media/QtVideoPipeline.h"
#include "platform/PlatformBackend.h"

// Plays an AVPlayer's item through a pipeline of its own, whose frames the player screen
// paints; the end of the item is reported once, on the main queue. With nothing to hear the
// sound through, the chapter plays into a clocked sink that discards it: GStreamer's automatic
// output would otherwise try every kind of output in turn (JACK, OpenAL, OSS), loading each
// one's libraries, some 4 MB, only to play into nothing. An output that a running sound server
// comes to list while it plays is taken up then.
class QtVideoOutput : public VideoOutput, public QtPlayingOutput {
public:
    using Post = std::function<void(std::function<void()>)>;
    QtVideoOutput(AVPlayer& player, Post post);

    void play() override { pipeline_.play(); }
    void pause() override { pipeline_.pause(); }
    double currentTime() const override { return double(pipeline_.position()) / 1000.0; }
    void seekTo(double seconds) override;

    QtPlayback& playback() override { return pipeline_; }
    QtVideoPicture* makePicture(QWidget* parent) override;

private:
    QtFramesInFlight framesInFlight_;
    QtOutputDevices outputDevices_;
    std::unique_ptr<QMediaDevices> devices_;
    QtVideoPipeline pipeline_;
};
