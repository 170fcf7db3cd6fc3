#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NSObject.h"
#include "platform/media/NowPlayingInfo.h"
#include "platform/media/PlayerCaptions.h"
#include "platform/ui/UIViewController.h"

class NSURL;
class VideoOutput;

inline constexpr const char* AVPlayerItemDidPlayToEndTimeNotification =
    "AVPlayerItemDidPlayToEndTimeNotification";

class AVPlayerItem : public NSObject {
public:
    explicit AVPlayerItem(std::shared_ptr<NSURL> url);
    const std::shared_ptr<NSURL>& url() const { return url_; }
    // Its title and picture, from the tap that made it.
    const NowPlayingInfo& nowPlayingInfo() const { return info_; }
    // Called by the backend when the item has played to its end; posts the
    // end-of-item notification once.
    void didPlayToEnd();

private:
    std::shared_ptr<NSURL> url_;
    NowPlayingInfo info_;
    bool playedToEnd_ = false;
};

class AVPlayer : public NSObject {
public:
    static std::shared_ptr<AVPlayer> initWithURL(const std::shared_ptr<NSURL>& url);
    explicit AVPlayer(const std::shared_ptr<NSURL>& url);
    ~AVPlayer() override;

    const std::shared_ptr<AVPlayerItem>& currentItem() const { return item_; }
    void play();
    void pause();
    float rate() const { return rate_; }
    // Seconds on the item's own clock; the player's slider moves it.
    double currentTime();
    void seekToTime(double seconds);

    // The backend's rendering of this player, made on first use.
    VideoOutput& output();

    static std::size_t liveCount();

private:
    std::shared_ptr<AVPlayerItem> item_;
    std::unique_ptr<VideoOutput> output_;
    float rate_ = 0.0f;
};

// The platform's full-screen player screen, with its own controls.
class AVPlayerViewController : public UIViewController {
public:
    AVPlayerViewController() : UIViewController(std::nullopt, nullptr) {}
    static std::shared_ptr<AVPlayerViewController> init() {
        return std::make_shared<AVPlayerViewController>();
    }
    std::string className() const override { return "AVPlayerViewController"; }

    const std::shared_ptr<AVPlayer>& player() const { return player_; }
    // Also finds the item's captions, and shows them as the family last chose.
    void setPlayer(const std::shared_ptr<AVPlayer>& player);

    // The player's own Done control: closes the player screen.
    void done();

    // The captions of the item: the languages its timed text comes in and the one shown, if
    // any. Choosing is what the player's captions control does, and it is remembered.
    const PlayerCaptions& captions() const { return captions_; }
    void chooseCaptions(const std::optional<std::string>& language);
    // The caption shown now, at the player's time; "" when off or between cues.
    std::string captionText();

private:
    std::shared_ptr<AVPlayer> player_;
    PlayerCaptions captions_;
};
