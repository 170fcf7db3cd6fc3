#pragma once

#include <QMediaPlayer>

#include "backends/qt/QtMedia.h"

// A Qt Multimedia player as the window's controls and the desktop see it.
class QtMediaPlayback : public QtPlayback {
public:
    explicit QtMediaPlayback(QMediaPlayer& player) : player_(player) {}

    bool playing() const override { return player_.playbackState() == QMediaPlayer::PlayingState; }
    bool paused() const override { return player_.playbackState() == QMediaPlayer::PausedState; }
    qint64 position() const override { return player_.position(); }
    qint64 duration() const override { return player_.duration(); }
    void setPosition(qint64 milliseconds) override { player_.setPosition(milliseconds); }
    QObject& lifetime() override { return player_; }
    void observe(QObject* context, std::function<void(Change)> changed) override {
        QObject::connect(&player_, &QMediaPlayer::positionChanged, context,
                         [changed] { changed(Change::position); });
        QObject::connect(&player_, &QMediaPlayer::durationChanged, context,
                         [changed] { changed(Change::duration); });
        QObject::connect(&player_, &QMediaPlayer::playbackStateChanged, context,
                         [changed] { changed(Change::state); });
    }

private:
    QMediaPlayer& player_;
};
