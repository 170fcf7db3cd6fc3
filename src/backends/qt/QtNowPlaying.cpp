#include "backends/qt/QtNowPlaying.h"

#include <QMediaPlayer>

bool QtNowPlaying::videoPlaying() const {
    return kind() == Kind::video && playing();
}

bool QtNowPlaying::playing() const {
    return player_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

void QtNowPlaying::notify() {
    // An observer may add another.
    auto observers = observers_;
    for (const auto& observer : observers)
        observer();
}

void QtNowPlaying::take(Kind kind, QMediaPlayer& player, const std::string& path,
                        const NowPlayingInfo& info) {
    kind_ = kind;
    player_ = &player;
    path_ = path;
    info_ = info;
    watch_ = std::make_unique<QObject>();
    auto changed = [this] { notify(); };
    QObject::connect(&player, &QMediaPlayer::playbackStateChanged, watch_.get(), changed);
    QObject::connect(&player, &QMediaPlayer::durationChanged, watch_.get(), changed);
    // The player goes with its output; the QPointer is already null when this runs.
    QObject::connect(&player, &QObject::destroyed, watch_.get(), changed, Qt::QueuedConnection);
    notify();
}
