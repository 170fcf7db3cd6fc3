#include "backends/qt/QtBackend.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cmath>
#include <iostream>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "backends/qt/QtDesktopBus.h"
#include "backends/qt/QtGuard.h"
#include "backends/qt/QtMedia.h"
#include "backends/qt/QtMediaControls.h"
#include "backends/qt/QtMprisService.h"
#include "backends/qt/QtNowPlaying.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtScreenPreparation.h"
#include "backends/qt/QtScreenSaverInhibitor.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/QtWindowState.h"
#include "backends/qt/ReviewNoticeLimit.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/AudioFileProbe.h"
#include "platform/resources/PackLibrary.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"

// Blocks become queued calls on an object of the main thread: Qt's event
// queue keeps them in posting order, whatever thread posts. Once the backend
// is gone, later posts (a download finishing at exit) are dropped.
struct QtBackend::MainQueue {
    std::mutex mutex;
    QObject* receiver = nullptr;

    void post(std::function<void()> block) {
        std::lock_guard lock(mutex);
        if (!receiver)
            return;
        QMetaObject::invokeMethod(
            receiver, [block = std::move(block)] { runGuarded(block); }, Qt::QueuedConnection);
    }
};

namespace {

// A chapter's output when the media cannot be had: the player screen stays black, its controls
// off, and the family can go back.
class NoVideo : public VideoOutput {
public:
    void play() override {}
    void pause() override {}
    double currentTime() const override { return 0; }
    void seekTo(double) override {}
};

bool onMainThread() {
    auto* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

}  // namespace

QtBackend::QtBackend(QtBackendOptions options)
    : options_(std::move(options)),
      queue_(std::make_shared<MainQueue>()),
      nowPlaying_(std::make_unique<QtNowPlaying>()),
      captions_(options_.captionStateFile),
      updates_(options_.updateStateFile),
      language_(QString::fromStdString(options_.translationsDirectory),
                options_.languageStateFile) {
    if (!onMainThread())
        throw std::logic_error("the Qt backend is made on the thread of the QApplication");
    queue_->receiver = new QObject();
    nowPlaying_->addObserver([this] { nowPlayingChanged(); });
    QtPictures::setFolders(options_.interfaceDirectory, options_.bundleDirectory);
    if (!options_.language.empty())
        language_.use(QString::fromStdString(options_.language));
}

QtBackend::~QtBackend() {
    QObject* receiver;
    {
        std::lock_guard lock(queue_->mutex);
        receiver = queue_->receiver;
        queue_->receiver = nullptr;
    }
    // Deleting the receiver drops the blocks still queued for it.
    delete receiver;
    for (auto& [id, timer] : timers_)
        delete timer.qtimer;
    timers_.clear();
    mpris_.reset();
    inhibitor_.reset();
    controls_.reset();
    window_.reset();
}

std::string QtBackend::nativeLanguageName(const std::string& language) const {
    QLocale locale(QString::fromStdString(language));
    if (language == "en" || locale.language() == QLocale::C)
        return PlatformBackend::nativeLanguageName(language);
    // Capitalised as a name in a list: "Español", "Français".
    QString name = locale.nativeLanguageName();
    return (name.left(1).toUpper() + name.mid(1)).toStdString();
}

void QtBackend::startDesktopServices() {
    if (!options_.desktopServices || mpris_ || !controls_)
        return;
    QDBusConnection bus = desktopBus(options_.busAddress);
    if (!bus.isConnected())
        return;
    inhibitor_ = std::make_unique<QtScreenSaverInhibitor>(bus);
    mpris_ = std::make_unique<QtMprisService>(bus, *nowPlaying_, *controls_);
    nowPlayingChanged();
}

void QtBackend::nowPlayingChanged() {
    // Songs leave the screen saver be: a child may listen with the screen off.
    if (inhibitor_)
        inhibitor_->setWanted(!windowClosed_ && nowPlaying_->videoPlaying());
    if (mpris_)
        mpris_->publish();
}

void QtBackend::windowClosing() {
    windowClosed_ = true;
    if (inhibitor_)
        inhibitor_->setWanted(false);
    if (!options_.windowStateFile.empty())
        QtWindowState::save(*window_, options_.windowStateFile);
}

void QtBackend::setFirstScreenShownHandler(std::function<void()> handler) {
    firstScreenShown_ = std::move(handler);
}

void QtBackend::postToMainQueue(std::function<void()> block) {
    queue_->post(std::move(block));
}

void QtBackend::watchPacks(const std::shared_ptr<PackLibrary>& packs) {
    packs_ = packs;
    // A mark only follows whether a pack is installed, which progress never changes.
    packs->addObserver([this](const PackStatus& status) {
        if (status.state != PackStatus::State::downloading)
            showDownloadMarks();
    });
    showDownloadMarks();
}

void QtBackend::showDownloadMarks() {
    if (!window_)
        return;
    window_->setDownloadMarks([packs = packs_](const std::string& tag) {
        auto library = packs.lock();
        return library && library->status(tag).state != PackStatus::State::installed;
    });
}

std::uint64_t QtBackend::scheduleTimer(double interval, bool repeats, std::function<void()> fire) {
    if (!onMainThread())
        throw std::logic_error("timers are scheduled on the main thread");
    std::uint64_t id = nextTimerId_++;
    auto* qtimer = new QTimer();
    qtimer->setTimerType(Qt::PreciseTimer);
    qtimer->setSingleShot(!repeats);
    // At least a millisecond: a zero interval that repeats would starve the event loop.
    double milliseconds = std::isfinite(interval) ? interval * 1000.0 : 0.0;
    qtimer->setInterval(
        int(std::clamp(std::round(milliseconds), 1.0, double(std::numeric_limits<int>::max()))));
    QObject::connect(qtimer, &QTimer::timeout, qtimer, [this, id] { fireTimer(id); });
    timers_[id] = Timer{qtimer, repeats, std::make_shared<std::function<void()>>(std::move(fire))};
    qtimer->start();
    return id;
}

void QtBackend::fireTimer(std::uint64_t id) {
    auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    // The block may cancel its own timer; it stays alive until it returns.
    auto fire = found->second.fire;
    if (!found->second.repeats) {
        found->second.qtimer->deleteLater();
        timers_.erase(found);
    }
    runGuarded(*fire);
}

void QtBackend::cancelTimer(std::uint64_t timer) {
    if (!onMainThread()) {
        postToMainQueue([this, timer] { cancelTimer(timer); });
        return;
    }
    auto found = timers_.find(timer);
    if (found == timers_.end())
        return;
    found->second.qtimer->stop();
    found->second.qtimer->deleteLater();
    timers_.erase(found);
}

void QtBackend::sleepForTimeInterval(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds))
        return;
    auto until = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double>(seconds));
    // A sleep while the launch screen shows keeps the main thread either way: the first
    // screen's pictures and title fonts are made ready meanwhile, so that it shows as soon as
    // the launch ends.
    auto storyboard = UIApplication::sharedApplication().storyboard();
    if (window_ && storyboard && launchScreenShowing_ && !firstScreenPrepared_) {
        firstScreenPrepared_ = true;
        auto initial = storyboard->screens().find(storyboard->initialScreen());
        if (initial != storyboard->screens().end())
            prepareScreen(initial->second.view, window_->font(), window_->scale(),
                          window_->devicePixelRatioF());
    }
    // The media are loaded meanwhile too, so that the first chapter starts without waiting.
    media();
    std::this_thread::sleep_until(until);
}

QtMedia* QtBackend::media() {
    if (!mediaAsked_ && options_.media)
        media_ = options_.media();
    mediaAsked_ = true;
    return media_;
}

QtWindow& QtBackend::ensureWindow() {
    if (!window_) {
        window_ = std::make_unique<QtWindow>();
        controls_ = std::make_unique<QtMediaControls>(*window_, *nowPlaying_);
        window_->setMediaKeyHandler([this](int key) { return controls_->mediaKey(key); });
        window_->setCloseHandler([this] { windowClosing(); });
        if (options_.windowWidth > 0 && options_.windowHeight > 0)
            window_->resize(options_.windowWidth, options_.windowHeight);
        if (!options_.windowStateFile.empty())
            QtWindowState::restore(*window_, options_.windowStateFile);
        if (options_.fullScreen)
            window_->setWindowState(Qt::WindowFullScreen);
        if (reviewNoticePending_)
            window_->showReviewNotice();
        reviewNoticePending_ = false;
        showDownloadMarks();
    }
    return *window_;
}

int QtBackend::runApplication(UIApplication& application, const std::function<bool()>& launch) {
    QtWindow& window = ensureWindow();
    window.setRoot(application.makeLaunchScreen());
    window.showAndPaint();
    if (options_.launchScreenShown)
        options_.launchScreenShown();
    // The interface loads whatever the delegate answers: a launch that reports failure still
    // shows the first screen rather than leave the family before an empty window.
    launchScreenShowing_ = true;
    launch();
    launchScreenShowing_ = false;
    application.loadMainInterface();
    window.whenTopPainted([this, shown = std::move(firstScreenShown_)] {
        if (shown)
            shown();
        startDesktopServices();
    });
    firstScreenShown_ = nullptr;
    if (driver_)
        driver_();
    return QApplication::exec();
}

void QtBackend::windowDidChangeRootViewController(UIWindow& window) {
    QtWindow& qtWindow = ensureWindow();
    qtWindow.setRoot(window.rootViewController());
    if (!qtWindow.isVisible())
        qtWindow.show();
}

void QtBackend::didPresent(UIViewController&, const std::shared_ptr<UIViewController>& presented,
                           bool, std::function<void()> shown) {
    ensureWindow().present(presented);
    if (shown)
        postToMainQueue(std::move(shown));
}

void QtBackend::didDismiss(UIViewController&, const std::shared_ptr<UIViewController>& presented,
                           bool) {
    if (window_)
        window_->dismiss(*presented);
}

void QtBackend::openURL(const NSURL& url) {
    if (options_.openURL) {
        options_.openURL(url.absoluteString());
        return;
    }
    // The desktop's handler (xdg-open and the like) is started directly, never through a shell.
    QUrl qurl(QString::fromStdString(url.absoluteString()), QUrl::StrictMode);
    if (!qurl.isValid() || !QDesktopServices::openUrl(qurl))
        std::cerr << "larkspire: no application could open " << url.absoluteString() << "\n";
}

void QtBackend::requestReview() {
    if (options_.stateFile.empty())
        return;
    ReviewNoticeLimit limit(options_.stateFile);
    if (!limit.allowAndRecord(ReviewNoticeLimit::Clock::now()))
        return;
    if (window_)
        window_->showReviewNotice();
    else
        reviewNoticePending_ = true;
}

std::unique_ptr<VideoOutput> QtBackend::makeVideoOutput(AVPlayer& player) {
    QtMedia* media = this->media();
    if (!media)
        return std::make_unique<NoVideo>();
    auto output = media->makeVideoOutput(
        player, [queue = queue_](std::function<void()> block) { queue->post(std::move(block)); });
    const auto& url = player.currentItem()->url();
    if (auto* playing = dynamic_cast<QtPlayingOutput*>(output.get()))
        nowPlaying_->playsVideo(playing->playback(), url ? url->path() : std::string(),
                                player.currentItem()->nowPlayingInfo());
    return output;
}

std::unique_ptr<AudioOutput> QtBackend::makeAudioOutput(const std::string& path,
                                                        const NowPlayingInfo& info,
                                                        std::string& error) {
    // Qt Multimedia only finds a bad file once it has tried to play it; the probe fails at once.
    if (!probeAudioFile(path, error))
        return nullptr;
    QtMedia* media = this->media();
    if (!media) {
        error = "the media module is missing, so no song can play";
        return nullptr;
    }
    auto output = media->makeAudioOutput(
        path, [queue = queue_](std::function<void()> block) { queue->post(std::move(block)); });
    if (auto* playing = dynamic_cast<QtPlayingOutput*>(output.get()))
        nowPlaying_->playsSong(playing->playback(), path, info);
    return output;
}
