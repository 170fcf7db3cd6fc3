#pragma once

#include <memory>
#include <string>

#include "platform/foundation/NSObject.h"
#include "platform/ui/UIViewController.h"

class NSURL;
class VideoOutput;

inline constexpr const char* AVPlayerItemDidPlayToEndTimeNotification =
    "AVPlayerItemDidPlayToEndTimeNotification";

class AVPlayerItem : public NSObject {
public:
    explicit AVPlayerItem(std::shared_ptr<NSURL> url) : url_(std::move(url)) {}
    const std::shared_ptr<NSURL>& url() const { return url_; }
    // Called by the backend when the item has played to its end; posts the
    // end-of-item notification once.
    void didPlayToEnd();

private:
    std::shared_ptr<NSURL> url_;
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
    void setPlayer(const std::shared_ptr<AVPlayer>& player) { player_ = player; }

    // The player's own Done control: closes the player screen.
    void done();

private:
    std::shared_ptr<AVPlayer> player_;
};
