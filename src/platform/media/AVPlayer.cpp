#include "platform/media/AVPlayer.h"

#include <atomic>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/PlayingMedia.h"
#include "platform/ui/UIAccessibility.h"

namespace {
std::atomic<std::size_t> gLivePlayers{0};
}

AVPlayerItem::AVPlayerItem(std::shared_ptr<NSURL> url)
    : url_(std::move(url)),
      info_(NowPlayingInfo::startedBy(url_ && url_->isFileURL() ? url_->path() : std::string())) {}

void AVPlayerItem::didPlayToEnd() {
    if (playedToEnd_)
        return;
    playedToEnd_ = true;
    NSNotificationCenter::defaultCenter().postNotificationName(
        AVPlayerItemDidPlayToEndTimeNotification, shared_from_this());
}

std::shared_ptr<AVPlayer> AVPlayer::initWithURL(const std::shared_ptr<NSURL>& url) {
    return std::make_shared<AVPlayer>(url);
}

AVPlayer::AVPlayer(const std::shared_ptr<NSURL>& url) : item_(std::make_shared<AVPlayerItem>(url)) {
    ++gLivePlayers;
    if (url && url->isFileURL())
        PlayingMedia::opened(url->path());
}

AVPlayer::~AVPlayer() {
    --gLivePlayers;
    if (const auto& url = item_->url(); url && url->isFileURL())
        PlayingMedia::closed(url->path());
}

std::size_t AVPlayer::liveCount() {
    return gLivePlayers;
}

VideoOutput& AVPlayer::output() {
    if (!output_)
        output_ = Platform::backend().makeVideoOutput(*this);
    return *output_;
}

void AVPlayer::play() {
    rate_ = 1.0f;
    output().play();
}

void AVPlayer::pause() {
    rate_ = 0.0f;
    output().pause();
}

double AVPlayer::currentTime() {
    return output().currentTime();
}

void AVPlayer::seekToTime(double seconds) {
    output().seekTo(seconds);
}

void AVPlayerViewController::setPlayer(const std::shared_ptr<AVPlayer>& player) {
    player_ = player;
    const auto& url = player ? player->currentItem()->url() : nullptr;
    captions_ = url && url->isFileURL() ? PlayerCaptions(url->path(), NSLocale::spokenLanguage())
                                        : PlayerCaptions();
    // In the language last chosen; on when last left on, and always when the grown-ups turned
    // captions on for every video.
    auto chosen = Platform::backend().captionLanguage();
    bool on = UIAccessibility::isClosedCaptioningEnabled() || chosen.has_value();
    captions_.show(on ? captions_.pick(chosen) : std::nullopt);
}

void AVPlayerViewController::chooseCaptions(const std::optional<std::string>& language) {
    captions_.show(language);
    Platform::backend().setCaptionLanguage(captions_.shown());
}

std::string AVPlayerViewController::captionText() {
    return player_ ? captions_.textAt(player_->currentTime()) : std::string();
}

void AVPlayerViewController::done() {
    if (player_)
        player_->pause();
    dismissViewControllerAnimated(true, nullptr);
}
