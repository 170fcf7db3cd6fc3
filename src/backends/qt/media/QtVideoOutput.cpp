#include "backends/qt/media/QtVideoOutput.h"

#include <QUrl>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "backends/qt/media/QtVideoView.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"

namespace {

// Whether the player takes a new position now. One set while it loads the file, or while it
// then sets out to play (a first frame already shows), is lost, as a seek step of a scenario
// on a busy machine found.
bool takesPosition(const QMediaPlayer& player) {
    switch (player.mediaStatus()) {
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::EndOfMedia:
            return true;
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::BufferingMedia:
            return player.playbackState() != QMediaPlayer::PlayingState;
        default:
            return false;
    }
}

}  // namespace

QtVideoOutput::QtVideoOutput(AVPlayer& player, Post post) {
    takeUpSoundOutput();
    if (!audio_)
        QObject::connect(&devices_, &QMediaDevices::audioOutputsChanged, &player_,
                         [this] { takeUpSoundOutput(); });
    player_.setVideoSink(&sink_);
    const auto& url = player.currentItem()->url();
    if (url)
        player_.setSource(url->isFileURL()
                              ? QUrl::fromLocalFile(QString::fromStdString(url->path()))
                              : QUrl(QString::fromStdString(url->absoluteString())));
    std::weak_ptr<AVPlayerItem> item = player.currentItem();
    QObject::connect(&player_, &QMediaPlayer::playbackStateChanged, &player_,
                     [this] { takePendingPosition(); });
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_,
                     [this, item, post](QMediaPlayer::MediaStatus status) {
                         takePendingPosition();
                         if (status != QMediaPlayer::EndOfMedia)
                             return;
                         post([item] {
                             if (auto strongItem = item.lock())
                                 strongItem->didPlayToEnd();
                         });
                     });
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, &player_,
                     [](QMediaPlayer::Error, const QString& message) {
                         std::cerr << "larkspire: video: " << message.toStdString() << "\n";
                     });
}

double QtVideoOutput::currentTime() const {
    return double(pendingPosition_.value_or(player_.position())) / 1000.0;
}

void QtVideoOutput::seekTo(double seconds) {
    // The seam hands over finite, non-negative seconds; a billion seconds is past any chapter.
    auto milliseconds = qint64(std::llround(std::clamp(seconds, 0.0, 1e9) * 1000.0));
    pendingPosition_ = milliseconds;
    takePendingPosition();
}

void QtVideoOutput::takePendingPosition() {
    if (!pendingPosition_ || !takesPosition(player_))
        return;
    player_.setPosition(*pendingPosition_);
    pendingPosition_.reset();
}

void QtVideoOutput::takeUpSoundOutput() {
    if (audio_ || !outputDevices_.soundCanBeHeard())
        return;
    audio_ = std::make_unique<QAudioOutput>();
    player_.setAudioOutput(audio_.get());
}

QtVideoPicture* QtVideoOutput::makePicture(QWidget* parent) {
    auto* view = new QtVideoView(parent);
    view->setSink(&sink_);
    return view;
}
