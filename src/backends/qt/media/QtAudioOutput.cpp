#include "backends/qt/media/QtAudioOutput.h"

#include <QUrl>
#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

bool seekable(QMediaPlayer::MediaStatus status) {
    return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferingMedia ||
           status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::EndOfMedia;
}

}  // namespace

QtAudioOutput::QtAudioOutput(const std::string& path, Post post) {
    player_.setAudioOutput(&audio_);
    player_.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_,
                     [this, post](QMediaPlayer::MediaStatus status) {
                         if (pendingPosition_ && seekable(status)) {
                             player_.setPosition(*pendingPosition_);
                             pendingPosition_.reset();
                         }
                         if (status == QMediaPlayer::EndOfMedia && didFinishPlaying())
                             post(didFinishPlaying());
                     });
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, &player_,
                     [](QMediaPlayer::Error, const QString& message) {
                         std::cerr << "larkspire: audio: " << message.toStdString() << "\n";
                     });
}

void QtAudioOutput::play() {
    player_.play();
}

double QtAudioOutput::currentTime() const {
    if (pendingPosition_)
        return double(*pendingPosition_) / 1000.0;
    return double(player_.position()) / 1000.0;
}

void QtAudioOutput::setCurrentTime(double seconds) {
    // The seam hands over finite, non-negative seconds; a billion seconds is past any track.
    auto milliseconds = qint64(std::llround(std::clamp(seconds, 0.0, 1e9) * 1000.0));
    if (seekable(player_.mediaStatus()))
        player_.setPosition(milliseconds);
    else
        pendingPosition_ = milliseconds;
}
