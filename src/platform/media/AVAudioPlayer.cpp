#include "platform/media/AVAudioPlayer.h"

#include <atomic>
#include <cmath>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/PlayingMedia.h"

namespace {
std::atomic<std::size_t> gPlaying{0};
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::init() {
    return std::make_shared<AVAudioPlayer>();
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::initWithContentsOfURL(
    const std::shared_ptr<NSURL>& url, std::shared_ptr<NSError>* error) {
    std::string problem = "not a file URL";
    std::unique_ptr<AudioOutput> output;
    if (url && url->isFileURL())
        output = Platform::backend().makeAudioOutput(url->path(), problem);
    if (!output) {
        if (error)
            *error = NSError::make(1954115647, problem);
        return nullptr;
    }
    auto player = std::make_shared<AVAudioPlayer>();
    player->url_ = url;
    player->output_ = std::move(output);
    return player;
}

AVAudioPlayer::~AVAudioPlayer() {
    setPlaying(false);
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
    return true;
}

void AVAudioPlayer::stop() {
    if (output_)
        output_->stop();
    setPlaying(false);
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
    if (output_)
        output_->setDidFinishPlaying(std::move(handler));
}

std::size_t AVAudioPlayer::playingCount() {
    return gPlaying;
}
