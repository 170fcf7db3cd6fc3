#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/media/PlayerCaptions.h"
#include "platform/ui/UIView.h"

class AVAudioPlayer;
class NSTimer;
struct NSNotification;

// The words of the song playing now, for singing along: the line being sung and the one after
// it, following the song's position. Both are empty while no song with lyrics plays. The
// lyrics come from the timed text beside the song, in the family's caption language when the
// song has it, else English, else the first there is. A line whose words carry their times is
// sung word by word: the view tells how much of it has been sung so far.
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
    // The words of the current line sung so far, from its start; nothing for a line sung as a
    // whole (its file gives no word times), which shows as one.
    std::optional<std::string_view> sungWords() const {
        if (!sungBytes_)
            return std::nullopt;
        return std::string_view(currentLine_).substr(0, *sungBytes_);
    }
    // The language of the lyrics shown, while a song with lyrics plays.
    const std::optional<std::string>& language() const { return lyrics_.shown(); }

private:
    void nowPlayingDidChange(const NSNotification& notification);
    void follow(const std::shared_ptr<AVAudioPlayer>& player);
    void tick();
    void setLines(std::string current, std::string next, std::optional<std::size_t> sung);
    void stopTimer();

    std::weak_ptr<AVAudioPlayer> song_;
    PlayerCaptions lyrics_;
    std::shared_ptr<NSTimer> timer_;
    std::string currentLine_;
    std::string nextLine_;
    std::optional<std::size_t> sungBytes_;
};
