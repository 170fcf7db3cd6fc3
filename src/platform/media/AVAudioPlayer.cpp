#include "platform/media/AVAudioPlayer.h"

#include <atomic>
#include <cmath>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/NowPlayingInfo.h"
#include "platform/media/PlayingMedia.h"

namespace {
std::atomic<std::size_t> gPlaying{0};

// The raw pointer names the player even while it is being destroyed, when the weak one no
// longer can.
std::weak_ptr<AVAudioPlayer> gNowPlaying;
const AVAudioPlayer* gNowPlayingAddress = nullptr;

void postNowPlayingDidChange() {
    NSNotificationCenter::defaultCenter().postNotificationName(AVAudioPlayer::kNowPlayingDidChange,
                                                               nullptr);
}

}  // namespace

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::init() {
    return std::make_shared<AVAudioPlayer>();
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::initWithContentsOfURL(
    const std::shared_ptr<NSURL>& url, std::shared_ptr<NSError>* error) {
    std::string problem = "not a file URL";
    std::unique_ptr<AudioOutput> output;
    if (url && url->isFileURL())
        output = Platform::backend().makeAudioOutput(
            url->path(), NowPlayingInfo::startedBy(url->path()), problem);
    if (!output) {
        if (error)
            *error = NSError::make(1954115647, problem);
        return nullptr;
    }
    auto player = std::make_shared<AVAudioPlayer>();
    player->url_ = url;
    player->output_ = std::move(output);
    // The end is heard here first, so that the song stops being the one playing now before
    // the owner's handler runs.
    player->output_->setDidFinishPlaying([weak = std::weak_ptr<AVAudioPlayer>(player)] {
        if (auto strong = weak.lock())
            strong->didFinish();
    });
    return player;
}

AVAudioPlayer::~AVAudioPlayer() {
    setPlaying(false);
    leaveNowPlaying();
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::nowPlaying() {
    return gNowPlaying.lock();
}

void AVAudioPlayer::leaveNowPlaying() {
    if (gNowPlayingAddress != this)
        return;
    gNowPlaying.reset();
    gNowPlayingAddress = nullptr;
    postNowPlayingDidChange();
}

void AVAudioPlayer::didFinish() {
    leaveNowPlaying();
    if (didFinishPlaying_)
        didFinishPlaying_();
}

void AVAudioPlayer::setPlaying(bool playing) {
    if (playing == playing_)
        return;
    playing_ = playing;
    if (playing) {
        ++gPlaying;
        PlayingMedia::opened(url_->path());
    } else {
        --gPlaying;
        PlayingMedia::closed(url_->path());
    }
}

bool AVAudioPlayer::play() {
    if (!output_)
        return false;
    output_->play();
    setPlaying(true);
    if (gNowPlayingAddress != this) {
        gNowPlaying = sharedFrom(this);
        gNowPlayingAddress = this;
        postNowPlayingDidChange();
    }
    return true;
}

void AVAudioPlayer::stop() {
    if (output_)
        output_->stop();
    setPlaying(false);
    leaveNowPlaying();
}

double AVAudioPlayer::currentTime() const {
    double time = output_ ? output_->currentTime() : 0.0;
    return std::isfinite(time) && time > 0.0 ? time : 0.0;
}

void AVAudioPlayer::setCurrentTime(double seconds) {
    if (output_)
        output_->setCurrentTime(std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0);
}

void AVAudioPlayer::setDidFinishPlaying(std::function<void()> handler) {
    didFinishPlaying_ = std::move(handler);
}

std::size_t AVAudioPlayer::playingCount() {
    return gPlaying;
}
