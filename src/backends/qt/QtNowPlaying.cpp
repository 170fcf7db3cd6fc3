#include "backends/qt/QtNowPlaying.h"

#include "backends/qt/QtMedia.h"

bool QtNowPlaying::videoPlaying() const {
    return kind() == Kind::video && playing();
}

bool QtNowPlaying::playing() const {
    return alive_ && player_->playing();
}

void QtNowPlaying::notify() {
    // An observer may add another.
    auto observers = observers_;
    for (const auto& observer : observers)
        observer();
}

void QtNowPlaying::take(Kind kind, QtPlayback& player, const std::string& path,
                        const NowPlayingInfo& info) {
    kind_ = kind;
    player_ = &player;
    alive_ = &player.lifetime();
    path_ = path;
    info_ = info;
    watch_ = std::make_unique<QObject>();
    auto changed = [this] { notify(); };
    player.observe(watch_.get(), [this](QtPlayback::Change change) {
        if (change != QtPlayback::Change::position)
            notify();
    });
    // The player goes with its output; the QPointer is already null when this runs.
    QObject::connect(&player.lifetime(), &QObject::destroyed, watch_.get(), changed,
                     Qt::QueuedConnection);
    notify();
}
