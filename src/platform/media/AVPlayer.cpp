#include "platform/media/AVPlayer.h"

#include <atomic>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/PlayingMedia.h"

namespace {
std::atomic<std::size_t> gLivePlayers{0};
}

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

void AVPlayerViewController::done() {
    if (player_)
        player_->pause();
    dismissViewControllerAnimated(true, nullptr);
}
