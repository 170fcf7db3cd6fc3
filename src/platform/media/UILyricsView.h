#pragma once

#include <memory>
#include <string>

#include "platform/media/PlayerCaptions.h"
#include "platform/ui/UIView.h"

class AVAudioPlayer;
class NSTimer;
struct NSNotification;

// The words of the song playing now, for singing along: the line being sung and the one after
// it, following the song's position. Both are empty while no song with lyrics plays. The
// lyrics come from the timed text beside the song, in the family's caption language when the
// song has it, else English, else the first there is.
class UILyricsView : public UIView {
public:
    // The longest the lines go without catching up with the song: well within a tenth of a
    // second.
    static constexpr double kTickSeconds = 0.05;
    // How far ahead of the song the lines are taken: far below what anyone could notice.
    static constexpr double kLeadSeconds = 1e-6;

    // Made through here only: the view starts following songs once it has an owner.
    static std::shared_ptr<UILyricsView> make();
    ~UILyricsView() override;

    std::string className() const override { return "UILyricsView"; }
    const std::string& currentLine() const { return currentLine_; }
    const std::string& nextLine() const { return nextLine_; }

private:
    void nowPlayingDidChange(const NSNotification& notification);
    void follow(const std::shared_ptr<AVAudioPlayer>& player);
    void tick();
    void setLines(std::string current, std::string next);
    void stopTimer();

    std::weak_ptr<AVAudioPlayer> song_;
    PlayerCaptions lyrics_;
    std::shared_ptr<NSTimer> timer_;
    std::string currentLine_;
    std::string nextLine_;
};
