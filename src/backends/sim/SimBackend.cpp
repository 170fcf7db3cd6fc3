#include "backends/sim/SimBackend.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/AudioFileProbe.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

// Elapsed time of a sim audio output on the virtual clock.
struct SimBackend::AudioClock {
    const SimBackend* backend;
    // The output that this clock times; it owns the clock.
    const AudioOutput* output = nullptr;
    std::optional<double> duration;
    bool playing = false;
    double startedAt = 0;
    double offset = 0;

    double elapsed() const {
        double time = offset + (playing ? backend->now() - startedAt : 0.0);
        return duration ? std::min(time, *duration) : time;
    }
};

namespace {

// A video's position on the virtual clock.
class SimVideoOutput : public VideoOutput {
public:
    explicit SimVideoOutput(const SimBackend& backend) : backend_(backend) {}
    void play() override {
        if (!playing_)
            startedAt_ = backend_.now();
        playing_ = true;
    }
    void pause() override {
        offset_ = currentTime();
        playing_ = false;
    }
    double currentTime() const override {
        return offset_ + (playing_ ? backend_.now() - startedAt_ : 0.0);
    }
    void seekTo(double seconds) override {
        offset_ = std::max(0.0, seconds);
        startedAt_ = backend_.now();
    }

private:
    const SimBackend& backend_;
    bool playing_ = false;
    double startedAt_ = 0;
    double offset_ = 0;
};

class SimAudioOutput : public AudioOutput {
public:
    explicit SimAudioOutput(std::shared_ptr<SimBackend::AudioClock> clock)
        : clock_(std::move(clock)) {
        clock_->output = this;
    }
    void play() override {
        if (clock_->playing)
            return;
        clock_->startedAt = clock_->backend->now();
        clock_->playing = true;
    }
    void stop() override {
        clock_->offset = clock_->elapsed();
        clock_->playing = false;
    }
    double currentTime() const override { return clock_->elapsed(); }
    void setCurrentTime(double seconds) override {
        clock_->offset = seconds;
        clock_->startedAt = clock_->backend->now();
    }

private:
    std::shared_ptr<SimBackend::AudioClock> clock_;
};

}  // namespace

SimBackend::SimBackend() = default;
SimBackend::~SimBackend() = default;

void SimBackend::postToMainQueue(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    blocks_.push_back(std::move(block));
}

bool SimBackend::runOneBlock() {
    std::function<void()> block;
    {
        std::lock_guard lock(mutex_);
        if (blocks_.empty())
            return false;
        block = std::move(blocks_.front());
        blocks_.pop_front();
    }
    block();
    return true;
}

bool SimBackend::fireNextTimer(double time) {
    std::shared_ptr<std::function<void()>> fire;
    {
        std::lock_guard lock(mutex_);
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.nextFire <= time &&
                (next == timers_.end() || it->second.nextFire < next->second.nextFire))
                next = it;
        }
        if (next == timers_.end())
            return false;
        now_ = std::max(now_, next->second.nextFire);
        fire = next->second.fire;
        if (next->second.repeats)
            next->second.nextFire += next->second.interval;
        else
            timers_.erase(next);
    }
    (*fire)();
    return true;
}

void SimBackend::runUntilIdle() {
    for (;;) {
        while (runOneBlock()) {
        }
        if (!fireNextTimer(now()))
            break;
    }
}

void SimBackend::fastForwardBy(double seconds) {
    double target = now() + seconds;
    for (;;) {
        while (runOneBlock()) {
        }
        if (!fireNextTimer(target))
            break;
    }
    {
        std::lock_guard lock(mutex_);
        now_ = std::max(now_, target);
    }
    runUntilIdle();
}

double SimBackend::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::size_t SimBackend::pendingBlockCount() const {
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

std::size_t SimBackend::scheduledTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

std::uint64_t SimBackend::scheduleTimer(double interval, bool repeats, std::function<void()> fire) {
    // A zero interval would fire forever at one instant.
    interval = std::max(interval, 0.0001);
    std::lock_guard lock(mutex_);
    std::uint64_t id = nextTimerId_++;
    timers_[id] = Timer{interval, repeats, now_ + interval,
                        std::make_shared<std::function<void()>>(std::move(fire))};
    return id;
}

void SimBackend::cancelTimer(std::uint64_t timer) {
    std::shared_ptr<std::function<void()>> released;
    {
        std::lock_guard lock(mutex_);
        auto found = timers_.find(timer);
        if (found == timers_.end())
            return;
        released = std::move(found->second.fire);
        timers_.erase(found);
    }
}

void SimBackend::sleepForTimeInterval(double seconds) {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(seconds);
    if (seconds > 0)
        now_ += seconds;
}

int SimBackend::runApplication(UIApplication& application, const std::function<bool()>& launch) {
    launchScreen_ = application.makeLaunchScreen();
    launchScreen_->loadViewIfNeeded();
    launchScreenShownAt_ = now();
    launchResult_ = launch();
    launchScreen_.reset();
    application.loadMainInterface();
    runUntilIdle();
    if (driver_)
        driver_();
    return 0;
}

void SimBackend::windowDidChangeRootViewController(UIWindow& window) {
    window_ = &window;
    rootShownAt_ = now();
}

void SimBackend::didPresent(UIViewController&, const std::shared_ptr<UIViewController>&, bool,
                            std::function<void()> shown) {
    if (shown)
        postToMainQueue(std::move(shown));
}

void SimBackend::didDismiss(UIViewController&, const std::shared_ptr<UIViewController>&, bool) {}

void SimBackend::clearRecords() {
    openedURLs_.clear();
    sleeps_.clear();
}

void SimBackend::openURL(const NSURL& url) {
    openedURLs_.push_back(url.absoluteString());
}

void SimBackend::requestReview() {
    ++reviewRequests_;
}

std::uint32_t SimBackend::randomUniform(std::uint32_t upperBound) {
    if (!randomDraws_.empty()) {
        std::uint32_t draw = randomDraws_.front();
        randomDraws_.pop_front();
        if (draw >= upperBound)
            throw std::out_of_range("a fixed random draw is not below its bound");
        return draw;
    }
    return PlatformBackend::randomUniform(upperBound);
}

void SimBackend::queueRandomDraws(std::vector<std::uint32_t> draws) {
    randomDraws_.insert(randomDraws_.end(), draws.begin(), draws.end());
}

std::unique_ptr<VideoOutput> SimBackend::makeVideoOutput(AVPlayer&) {
    return std::make_unique<SimVideoOutput>(*this);
}

std::unique_ptr<AudioOutput> SimBackend::makeAudioOutput(const std::string& path,
                                                         const NowPlayingInfo&,
                                                         std::string& error) {
    auto info = probeAudioFile(path, error);
    if (!info)
        return nullptr;
    auto clock = std::make_shared<AudioClock>();
    clock->backend = this;
    clock->duration = info->duration;
    std::erase_if(audioClocks_, [](const auto& weak) { return weak.expired(); });
    audioClocks_.push_back(clock);
    return std::make_unique<SimAudioOutput>(clock);
}

std::size_t SimBackend::liveAudioOutputCount() const {
    return std::count_if(audioClocks_.begin(), audioClocks_.end(),
                         [](const auto& weak) { return !weak.expired(); });
}

void SimBackend::finishAudio() {
    for (const auto& weak : audioClocks_) {
        if (auto clock = weak.lock(); clock && clock->playing) {
            clock->offset = clock->duration.value_or(clock->elapsed());
            clock->startedAt = now();
            if (const auto& finished = clock->output->didFinishPlaying())
                postToMainQueue(finished);
        }
    }
}

std::shared_ptr<UIViewController> SimBackend::rootViewController() const {
    return window_ ? window_->rootViewController() : nullptr;
}

std::shared_ptr<UIViewController> SimBackend::topViewController() const {
    auto root = rootViewController();
    return root ? root->topmostViewController() : nullptr;
}

std::shared_ptr<UIAlertController> SimBackend::visibleAlert() const {
    return std::dynamic_pointer_cast<UIAlertController>(topViewController());
}

std::shared_ptr<AVPlayerViewController> SimBackend::visiblePlayer() const {
    return std::dynamic_pointer_cast<AVPlayerViewController>(topViewController());
}

bool SimBackend::tap(const std::shared_ptr<UIButton>& button) {
    if (!button || !button->isEnabled() || !button->isShownInTree())
        return false;
    button->sendActions();
    return true;
}

void SimBackend::typeIntoAlertTextField(const std::string& text, std::size_t field) {
    auto alert = visibleAlert();
    if (!alert || field >= alert->textFields().size())
        throw std::logic_error("no alert text field to type into");
    alert->textFields()[field]->setText(text);
}

bool SimBackend::chooseAlertAction(const std::string& title) {
    auto alert = visibleAlert();
    if (!alert)
        return false;
    const auto& actions = alert->actions();
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (actions[i]->title() == title) {
            alert->chooseAction(i);
            return true;
        }
    }
    return false;
}

bool SimBackend::finishVideo() {
    auto player = visiblePlayer();
    if (!player || !player->player())
        return false;
    player->player()->currentItem()->didPlayToEnd();
    return true;
}

bool SimBackend::closePlayer() {
    auto player = visiblePlayer();
    if (!player)
        return false;
    player->done();
    return true;
}

void SimBackend::scroll(const std::shared_ptr<UIView>& view, double x, double y) {
    auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view);
    if (!scrollView)
        throw std::logic_error("only a scroll view scrolls");
    scrollView->setContentOffset({x, y});
}
