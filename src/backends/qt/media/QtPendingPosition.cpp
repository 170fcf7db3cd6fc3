#include "backends/qt/media/QtPendingPosition.h"

#include <algorithm>
#include <cmath>

namespace {

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

QtPendingPosition::QtPendingPosition(QMediaPlayer& player) : player_(player) {
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_, [this] { take(); });
    QObject::connect(&player_, &QMediaPlayer::playbackStateChanged, &player_, [this] { take(); });
}

double QtPendingPosition::seconds() const {
    return double(pending_.value_or(player_.position())) / 1000.0;
}

void QtPendingPosition::set(double seconds) {
    pending_ = qint64(std::llround(std::clamp(seconds, 0.0, 1e9) * 1000.0));
    take();
}

void QtPendingPosition::take() {
    if (!pending_ || !takesPosition(player_))
        return;
    player_.setPosition(*pending_);
    pending_.reset();
}
