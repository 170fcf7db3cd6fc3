#pragma once

#include <memory>
#include <optional>
#include <string>

#include "story/content/OnDemandContentViewController.h"

class AVAudioPlayer;
class NSTimer;
class NSURL;
class UIButton;
class UILabel;

// The music screen: fetches the "Audio" pack when loaded, plays one of the
// seven songs at a time with its title and elapsed time, and stops it on the
// stop button or when the screen leaves the display.
class MusicViewController : public OnDemandContentViewController {
public:
    using AppError = ::AppError;

    static constexpr const char* kClassName = "MusicViewController";
    static void registerClass();

    explicit MusicViewController(NSCoder& coder);
    MusicViewController(const std::optional<std::string>& nibName,
                        const std::shared_ptr<NSBundle>& bundle);
    ~MusicViewController() override;

    std::string className() const override { return kClassName; }

    void viewDidLoad() override;
    void viewDidDisappear(bool animated) override;
    void didReceiveMemoryWarning() override;

    void trackSelected(UIButton& sender);
    void stopMusic(NSObject& sender);
    // The position timer's target.
    void updateTime();

    std::weak_ptr<UIButton> track1Button;
    std::weak_ptr<UIButton> track2Button;
    std::weak_ptr<UIButton> track3Button;
    std::weak_ptr<UIButton> track4Button;
    std::weak_ptr<UIButton> track5Button;
    std::weak_ptr<UIButton> track6Button;
    std::weak_ptr<UIButton> track7Button;
    std::weak_ptr<UIButton> backButton;
    std::weak_ptr<UIButton> stopButton;
    std::weak_ptr<UILabel> trackTitleLabel;
    std::weak_ptr<UILabel> trackPositionLabel;
    std::shared_ptr<AVAudioPlayer> audioPlayer;
    // Set by a successful start, cleared by a stop; a track that plays to
    // its end still counts as playing.
    bool isPlaying = false;
    std::shared_ptr<NSTimer> timer;
    std::optional<std::string> audioFileName;
    std::optional<std::string> audioName;

private:
    void playTrack();
    void startPlayer(const std::shared_ptr<NSURL>& url);
    void cancelTimer();
    // The tile of the song that plays carries a mark until the song stops or ends.
    void markPlayingTile(const std::shared_ptr<UIButton>& tile);

    std::weak_ptr<UIButton> tappedTile_;
    std::weak_ptr<UIButton> playingTile_;
};
