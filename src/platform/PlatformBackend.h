#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/CaptionStyle.h"

class AVPlayer;
struct NowPlayingInfo;
class NSURL;
class PackLibrary;
class UIApplication;
class UIViewController;
class UIWindow;

// What a backend plays for an AVPlayer: the platform object keeps the model
// (URL, item, rate); the output renders it and reports the end of the item.
class VideoOutput {
public:
    virtual ~VideoOutput() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    // The position on the media's own clock, in seconds, and moving it (the player's slider).
    virtual double currentTime() const = 0;
    virtual void seekTo(double seconds) = 0;
};

// What a backend plays for an AVAudioPlayer.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual double currentTime() const = 0;
    virtual void setCurrentTime(double seconds) = 0;
    // Runs on the main queue each time the file has played to its end.
    void setDidFinishPlaying(std::function<void()> handler) { didFinish_ = std::move(handler); }
    const std::function<void()>& didFinishPlaying() const { return didFinish_; }

private:
    std::function<void()> didFinish_;
};

// The narrow interface each backend implements. The platform objects in
// src/platform/ hold all state that the story code sees; a backend only
// schedules work, shows what the objects describe and plays media.
class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;

    // The main queue: runs blocks on the main thread in posting order. Callable from any thread.
    virtual void postToMainQueue(std::function<void()> block) = 0;
    // Main-thread timers; `fire` runs at every interval until cancelled.
    virtual std::uint64_t scheduleTimer(double interval, bool repeats,
                                        std::function<void()> fire) = 0;
    virtual void cancelTimer(std::uint64_t timer) = 0;
    // Blocks the calling thread.
    virtual void sleepForTimeInterval(double seconds) = 0;

    // The application loop: shows the launch screen while `launch` runs (the
    // delegate's start-up), then the window; returns when the application ends.
    virtual int runApplication(UIApplication& application, const std::function<bool()>& launch) = 0;

    // Presentation has already been recorded on the controllers; the backend
    // shows it and calls `shown` once the presented screen is on screen.
    virtual void windowDidChangeRootViewController(UIWindow& window) = 0;
    virtual void didPresent(UIViewController& presenter,
                            const std::shared_ptr<UIViewController>& presented, bool animated,
                            std::function<void()> shown) = 0;
    virtual void didDismiss(UIViewController& presenter,
                            const std::shared_ptr<UIViewController>& presented, bool animated) = 0;

    virtual void openURL(const NSURL& url) = 0;
    virtual void requestReview() = 0;
    // An unpredictable integer below `upperBound`, evenly distributed. The
    // default draws from the operating system's random source.
    virtual std::uint32_t randomUniform(std::uint32_t upperBound);
    // The packs of this run, whose states the backend may show (a mark on what is still to be
    // downloaded). Called once the environment is installed; the default shows nothing.
    virtual void watchPacks(const std::shared_ptr<PackLibrary>& packs);

    virtual std::unique_ptr<VideoOutput> makeVideoOutput(AVPlayer& player) = 0;
    // The language the family last chose for captions in the player (none: off, or never
    // chosen), and whether every video starts with captions on (the grown-ups' setting). Kept
    // apart from the settings; the defaults keep both for the run only.
    virtual std::optional<std::string> captionLanguage() const { return captionLanguage_; }
    virtual void setCaptionLanguage(const std::optional<std::string>& language) {
        captionLanguage_ = language;
    }
    virtual bool captionsOnByDefault() const { return captionsOnByDefault_; }
    virtual void setCaptionsOnByDefault(bool on) { captionsOnByDefault_ = on; }
    // How captions look (CaptionStyle.h); the default keeps the choice for the run.
    virtual CaptionStyle captionStyle() const { return captionStyle_; }
    virtual void setCaptionStyle(const CaptionStyle& style) { captionStyle_ = style; }
    // Whether newer editions of the packs are installed without a grown-up asking (the panel's
    // choice, on unless turned off). Kept apart from the settings; the default for the run only.
    virtual bool updatesPacksAutomatically() const { return updatesPacksAutomatically_; }
    virtual void setUpdatesPacksAutomatically(bool on) { updatesPacksAutomatically_ = on; }
    // The languages the window speaks (NSLocale.h). The defaults speak English only and keep a
    // choice for the run.
    virtual std::vector<std::string> languages() const { return {"en"}; }
    virtual std::string chosenLanguage() const { return chosenLanguage_; }
    virtual void chooseLanguage(const std::string& language) { chosenLanguage_ = language; }
    virtual std::string spokenLanguage() const { return "en"; }
    virtual std::string nativeLanguageName(const std::string& language) const {
        return language == "en" ? "English" : language;
    }
    // Null with `error` set when the file is not playable audio. `info` names it for the
    // desktop's player controls.
    virtual std::unique_ptr<AudioOutput> makeAudioOutput(const std::string& path,
                                                         const NowPlayingInfo& info,
                                                         std::string& error) = 0;

private:
    std::optional<std::string> captionLanguage_;
    bool captionsOnByDefault_ = false;
    CaptionStyle captionStyle_;
    bool updatesPacksAutomatically_ = true;
    std::string chosenLanguage_;
};
