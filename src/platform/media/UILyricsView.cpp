#include "platform/media/UILyricsView.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVAudioPlayer.h"

std::shared_ptr<UILyricsView> UILyricsView::make() {
    auto view = std::make_shared<UILyricsView>();
    NSNotificationCenter::defaultCenter().addObserver(view, &UILyricsView::nowPlayingDidChange,
                                                      AVAudioPlayer::kNowPlayingDidChange, nullptr);
    // A screen built while a song plays shows its words from the start.
    view->follow(AVAudioPlayer::nowPlaying());
    return view;
}

// The run loop would keep ticking for a view that is gone until the next tick noticed.
UILyricsView::~UILyricsView() {
    stopTimer();
}

void UILyricsView::nowPlayingDidChange(const NSNotification&) {
    follow(AVAudioPlayer::nowPlaying());
}

void UILyricsView::follow(const std::shared_ptr<AVAudioPlayer>& player) {
    if (player && player == song_.lock())
        return;
    song_.reset();
    lyrics_ = PlayerCaptions();
    stopTimer();
    if (player && player->url()) {
        lyrics_ = PlayerCaptions(player->url()->path(), NSLocale::spokenLanguage());
        lyrics_.show(lyrics_.pick(Platform::backend().captionLanguage()));
    }
    if (!lyrics_.timedText()) {
        setLines({}, {}, std::nullopt);
        return;
    }
    song_ = player;
    tick();
}

void UILyricsView::tick() {
    auto song = song_.lock();
    if (!song || !lyrics_.timedText()) {
        follow(nullptr);
        return;
    }
    // A tick aimed at a change of line lands half a lead before it and looks a lead ahead, so
    // that the rounding of either clock never leaves the old line showing past its end.
    double seconds = song->currentTime() + kLeadSeconds;
    const auto* current = lyrics_.timedText()->currentAt(seconds);
    const auto* next = lyrics_.timedText()->nextAfter(seconds);
    setLines(current ? current->text : std::string(), next ? next->text : std::string(),
             current ? current->sungBytes(seconds) : std::nullopt);
    double change = seconds + kTickSeconds;
    if (current)
        change = std::min({change, current->end, current->nextWordAfter(seconds).value_or(change)});
    if (next)
        change = std::min(change, next->start);
    double wait = change - seconds + kLeadSeconds / 2;
    stopTimer();
    // The timer holds the view weakly, so it never keeps a closed screen alive.
    timer_ = NSTimer::scheduledTimerWithTimeInterval(wait, sharedFrom(this), &UILyricsView::tick,
                                                     nullptr, false);
}

void UILyricsView::setLines(std::string current, std::string next,
                            std::optional<std::size_t> sung) {
    if (current == currentLine_ && next == nextLine_ && sung == sungBytes_)
        return;
    currentLine_ = std::move(current);
    nextLine_ = std::move(next);
    sungBytes_ = sung;
    changed();
}

void UILyricsView::stopTimer() {
    if (timer_)
        timer_->invalidate();
    timer_ = nullptr;
}
