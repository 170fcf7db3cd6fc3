#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/NowPlayingInfo.h"

class QtPlayback;

// What the window plays: the newest video or song that the backend made an output for, with
// its player. Those who keep the desktop informed are told of every change of it.
class QtNowPlaying {
public:
    enum class Kind { none, video, song };

    void playsVideo(QtPlayback& player, const std::string& path, const NowPlayingInfo& info) {
        take(Kind::video, player, path, info);
    }
    void playsSong(QtPlayback& player, const std::string& path, const NowPlayingInfo& info) {
        take(Kind::song, player, path, info);
    }

    // None once the player is gone.
    Kind kind() const { return alive_ ? kind_ : Kind::none; }
    QtPlayback* player() const { return alive_ ? player_ : nullptr; }
    const std::string& path() const { return path_; }
    // Its title and picture, as the tap that started it gave them.
    const NowPlayingInfo& info() const { return info_; }
    // Whether a video is playing now, not paused or ended.
    bool videoPlaying() const;
    // Whether the player is playing now.
    bool playing() const;

    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }
    // Tells the observers again, for a change they cannot see in the player (a marked tile).
    void notify();

private:
    void take(Kind kind, QtPlayback& player, const std::string& path, const NowPlayingInfo& info);

    Kind kind_ = Kind::none;
    QtPlayback* player_ = nullptr;
    // Null once the player is gone.
    QPointer<QObject> alive_;
    std::string path_;
    NowPlayingInfo info_;
    // Owns the connections to the current player: they go with the next one.
    std::unique_ptr<QObject> watch_;
    std::vector<std::function<void()>> observers_;
};
