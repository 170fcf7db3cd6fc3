#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformBackend.h"

class AVPlayerViewController;
class UIAlertController;
class UIButton;
class UIView;

// The deterministic headless backend. Nothing runs by itself: the main queue
// runs when the caller drains it, and timers and sleeps follow a virtual clock
// that only the caller advances. Everything the application shows or asks of
// the platform is recorded, and every control can be driven.
class SimBackend : public PlatformBackend {
public:
    SimBackend();
    ~SimBackend() override;

    // Running work.
    // Runs every posted block and every timer already due, until none is left.
    void runUntilIdle();
    // Advances the virtual clock, running timers at their due times and the
    // blocks they post, then everything due at the new time.
    void fastForwardBy(double seconds);
    double now() const;
    std::size_t pendingBlockCount() const;
    std::size_t scheduledTimerCount() const;

    // What was shown and asked for.
    UIWindow* window() const { return window_; }
    std::shared_ptr<UIViewController> rootViewController() const;
    // The screen or alert at the top of the window's presentation chain.
    std::shared_ptr<UIViewController> topViewController() const;
    std::shared_ptr<UIAlertController> visibleAlert() const;
    std::shared_ptr<AVPlayerViewController> visiblePlayer() const;
    const std::shared_ptr<UIViewController>& launchScreen() const { return launchScreen_; }
    std::optional<bool> launchResult() const { return launchResult_; }
    // Virtual times at which the launch screen and the window's root screen were shown.
    std::optional<double> launchScreenShownAt() const { return launchScreenShownAt_; }
    std::optional<double> rootShownAt() const { return rootShownAt_; }
    const std::vector<double>& sleeps() const { return sleeps_; }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    int reviewRequestCount() const { return reviewRequests_; }
    // Forgets what was recorded so far (long runs that only check what is alive).
    void clearRecords();

    // Driving the interface.
    // Taps it as a reader would: refused (false) when hidden or disabled.
    bool tap(const std::shared_ptr<UIButton>& button);
    void typeIntoAlertTextField(const std::string& text, std::size_t field = 0);
    // Chooses the action of the visible alert with this title; false when none.
    bool chooseAlertAction(const std::string& title);
    // The visible player's item plays to its end; false when no player is up.
    bool finishVideo();
    // The player's own Done control; false when no player is up.
    bool closePlayer();
    // Scrolls the scroll view and lays it out again, as a drag by the reader would.
    void scroll(const std::shared_ptr<UIView>& scrollView, double x, double y);

    // Fixes the next draws of the random source, in order.
    void queueRandomDraws(std::vector<std::uint32_t> draws);
    // Runs after the first screen is loaded, inside runApplication (the scripted run).
    void setApplicationDriver(std::function<void()> driver) { driver_ = std::move(driver); }

    // Audio players made and still alive, with their elapsed time on the virtual clock.
    std::size_t liveAudioOutputCount() const;
    // Lets every playing audio output reach its end now.
    void finishAudio();

    // PlatformBackend
    void postToMainQueue(std::function<void()> block) override;
    std::uint64_t scheduleTimer(double interval, bool repeats, std::function<void()> fire) override;
    void cancelTimer(std::uint64_t timer) override;
    void sleepForTimeInterval(double seconds) override;
    int runApplication(UIApplication& application, const std::function<bool()>& launch) override;
    void windowDidChangeRootViewController(UIWindow& window) override;
    void didPresent(UIViewController& presenter, const std::shared_ptr<UIViewController>& presented,
                    bool animated, std::function<void()> shown) override;
    void didDismiss(UIViewController& presenter, const std::shared_ptr<UIViewController>& presented,
                    bool animated) override;
    void openURL(const NSURL& url) override;
    void requestReview() override;
    std::uint32_t randomUniform(std::uint32_t upperBound) override;
    std::unique_ptr<VideoOutput> makeVideoOutput(AVPlayer& player) override;
    std::unique_ptr<AudioOutput> makeAudioOutput(const std::string& path, const NowPlayingInfo&,
                                                 std::string& error) override;

    struct AudioClock;

private:
    struct Timer {
        double interval;
        bool repeats;
        double nextFire;
        std::shared_ptr<std::function<void()>> fire;
    };
    bool runOneBlock();
    // Fires the earliest timer due at or before `time`; false when none is.
    bool fireNextTimer(double time);

    mutable std::mutex mutex_;
    std::deque<std::function<void()>> blocks_;
    std::map<std::uint64_t, Timer> timers_;
    std::uint64_t nextTimerId_ = 1;
    double now_ = 0.0;

    UIWindow* window_ = nullptr;
    std::shared_ptr<UIViewController> launchScreen_;
    std::optional<bool> launchResult_;
    std::optional<double> launchScreenShownAt_;
    std::optional<double> rootShownAt_;
    std::vector<double> sleeps_;
    std::vector<std::string> openedURLs_;
    int reviewRequests_ = 0;
    std::deque<std::uint32_t> randomDraws_;
    std::function<void()> driver_;
    std::vector<std::weak_ptr<AudioClock>> audioClocks_;
};
