#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "backends/qt/QtCaptionChoices.h"
#include "backends/qt/QtKeptChoices.h"
#include "backends/qt/QtLanguage.h"
#include "platform/PlatformBackend.h"

class QTimer;
class QtMedia;
class QtMediaControls;
class QtMprisService;
class QtNowPlaying;
class QtScreenSaverInhibitor;
class QtWindow;

struct QtBackendOptions {
    bool fullScreen = false;
    // The window's first size in pixels; 0 by 0 takes the stage's size, shrunk to fit the screen.
    int windowWidth = 0;
    int windowHeight = 0;
    // The platform's own state (the review notice's limit); empty keeps no limit file and
    // shows no notice.
    std::string stateFile;
    // Opens a link; empty hands it to the desktop's URL handler.
    std::function<void(const std::string& url)> openURL;
    // Where the pictures of the interface descriptions are: their folder, then the bundle.
    std::string interfaceDirectory;
    std::string bundleDirectory;
    // Runs once the launch screen is painted, before start-up blocks the main thread.
    std::function<void()> launchScreenShown;
    // Where the window's size, place and full screen are kept between runs; empty keeps none.
    std::string windowStateFile;
    // Where the caption choice is kept between runs (QtKeptChoices); empty keeps none.
    std::string captionStateFile;
    // Where the choice to update packs automatically is kept likewise.
    std::string updateStateFile;
    // The folder of the translation catalogues; empty speaks English.
    std::string translationsDirectory;
    // Where the family's choice of language is kept between runs (QtLanguage); empty keeps none.
    std::string languageStateFile;
    // The language spoken ("fr"; "pseudo" for a build's pseudo-language); empty: the desktop's.
    std::string language;
    // Whether the window tells the desktop what plays and keeps the screen awake for a video,
    // on the session bus or, when given, the bus at `busAddress`.
    bool desktopServices = false;
    std::string busAddress;
    // Gives the media the first time a chapter or song needs them (or while the launch screen
    // holds); none when they cannot be had.
    std::function<QtMedia*()> media;
};

// The platform on Qt Widgets and Qt Multimedia. Made on the main thread once
// the QApplication exists; the main queue and the timers are the Qt event loop.
class QtBackend : public PlatformBackend {
public:
    explicit QtBackend(QtBackendOptions options = {});
    ~QtBackend() override;

    // The application's window; made when the first screen is shown.
    QtWindow* window() const { return window_.get(); }
    QtLanguage& language() { return language_; }
    // Runs once, on the main queue, after the first screen of the main interface is painted.
    void setFirstScreenShownHandler(std::function<void()> handler);
    // Runs inside runApplication once the main interface is loaded, before the event loop.
    void setApplicationDriver(std::function<void()> driver) { driver_ = std::move(driver); }
    std::size_t scheduledTimerCount() const { return timers_.size(); }
    // Joins the desktop's bus, when the options ask for it; runApplication calls it once the
    // first screen is up, so that the bus never delays the launch screen.
    void startDesktopServices();
    // The media, as the options give them; none when they cannot be had.
    QtMedia* media();

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
    void watchPacks(const std::shared_ptr<PackLibrary>& packs) override;
    std::unique_ptr<VideoOutput> makeVideoOutput(AVPlayer& player) override;
    std::optional<std::string> captionLanguage() const override { return captions_.language(); }
    void setCaptionLanguage(const std::optional<std::string>& language) override {
        captions_.setLanguage(language);
    }
    std::vector<std::string> languages() const override { return language_.available(); }
    std::string chosenLanguage() const override { return language_.chosen(); }
    void chooseLanguage(const std::string& language) override { language_.choose(language); }
    std::string spokenLanguage() const override { return language_.spoken().toStdString(); }
    std::string nativeLanguageName(const std::string& language) const override;
    bool captionsOnByDefault() const override { return captions_.onByDefault(); }
    void setCaptionsOnByDefault(bool on) override { captions_.setOnByDefault(on); }
    CaptionStyle captionStyle() const override { return captions_.style(); }
    void setCaptionStyle(const CaptionStyle& style) override { captions_.setStyle(style); }
    bool updatesPacksAutomatically() const override {
        return updates_.flag("updateAutomatically", true);
    }
    void setUpdatesPacksAutomatically(bool on) override {
        updates_.setFlag("updateAutomatically", on);
    }
    std::unique_ptr<AudioOutput> makeAudioOutput(const std::string& path,
                                                 const NowPlayingInfo& info,
                                                 std::string& error) override;

private:
    struct MainQueue;
    struct Timer {
        QTimer* qtimer;
        bool repeats;
        std::shared_ptr<std::function<void()>> fire;
    };
    QtWindow& ensureWindow();
    void showDownloadMarks();
    void fireTimer(std::uint64_t id);
    void nowPlayingChanged();
    void windowClosing();

    QtBackendOptions options_;
    std::shared_ptr<MainQueue> queue_;
    std::unique_ptr<QtWindow> window_;
    std::map<std::uint64_t, Timer> timers_;
    std::atomic<std::uint64_t> nextTimerId_{1};
    std::function<void()> driver_;
    std::weak_ptr<PackLibrary> packs_;
    std::function<void()> firstScreenShown_;
    bool reviewNoticePending_ = false;
    bool launchScreenShowing_ = false;  // while the delegate's launch runs
    bool firstScreenPrepared_ = false;
    bool mediaAsked_ = false;
    QtMedia* media_ = nullptr;
    std::unique_ptr<QtNowPlaying> nowPlaying_;
    std::unique_ptr<QtMediaControls> controls_;
    std::unique_ptr<QtScreenSaverInhibitor> inhibitor_;
    // Once the window is closing, nothing is shown to keep awake for, whatever the player says
    // after.
    bool windowClosed_ = false;
    std::unique_ptr<QtMprisService> mpris_;
    QtCaptionChoices captions_;
    QtKeptChoices updates_;
    QtLanguage language_;
};
