#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/NSObject.h"

class AudioOutput;
class NSError;
class NSURL;

// Plays one audio file. The empty player (made by init) plays nothing, and
// stopping it or reading its time works at any moment. Dropping the last
// reference ends the sound.
class AVAudioPlayer : public NSObject {
public:
    static std::shared_ptr<AVAudioPlayer> init();
    // Null, with `error` set, when the file is not playable audio.
    static std::shared_ptr<AVAudioPlayer> initWithContentsOfURL(const std::shared_ptr<NSURL>& url,
                                                                std::shared_ptr<NSError>* error);
    AVAudioPlayer() = default;
    ~AVAudioPlayer() override;

    bool play();
    void stop();
    bool isPlaying() const { return playing_; }
    // Elapsed seconds: finite and non-negative.
    double currentTime() const;
    void setCurrentTime(double seconds);
    // Runs on the main queue when the file has played to its end; the player stays as it was.
    void setDidFinishPlaying(std::function<void()> handler);
    const std::shared_ptr<NSURL>& url() const { return url_; }

    static std::size_t playingCount();

    // The player started last, while it plays and has not played to its end; null when none.
    // Whenever it changes, kNowPlayingDidChange is posted on the main thread (players are
    // started and stopped there), with no object: observers ask nowPlaying().
    static std::shared_ptr<AVAudioPlayer> nowPlaying();
    static constexpr const char* kNowPlayingDidChange = "AVAudioPlayerNowPlayingDidChange";

private:
    void setPlaying(bool playing);
    void leaveNowPlaying();
    void didFinish();

    std::shared_ptr<NSURL> url_;
    std::unique_ptr<AudioOutput> output_;
    bool playing_ = false;
    std::function<void()> didFinishPlaying_;
};
