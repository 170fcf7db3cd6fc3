#include "story/music/MusicViewController.h"

#include "platform/foundation/DebugLog.h"
#include "platform/foundation/LocalizedText.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/resources/NSBundleResourceRequest.h"
#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"
#include "story/music/TrackCatalogue.h"
#include "story/music/TrackPosition.h"

namespace {

// Outlets are weak and a description may leave one unconnected: a control
// that is not there is left alone rather than dereferenced.
template <typename View>
void setHidden(const std::weak_ptr<View>& outlet, bool hidden) {
    if (auto view = outlet.lock())
        view->setHidden(hidden);
}

void setText(const std::weak_ptr<UILabel>& outlet, const LocalizedText& text) {
    if (auto label = outlet.lock())
        label->setText(text);
}

}  // namespace

void MusicViewController::registerClass() {
    using Screen = MusicViewController;
    UIControllerClass<Screen>(kClassName)
        .outlet("track1Button", &Screen::track1Button, OutletUse::optional)
        .outlet("track2Button", &Screen::track2Button, OutletUse::optional)
        .outlet("track3Button", &Screen::track3Button, OutletUse::optional)
        .outlet("track4Button", &Screen::track4Button, OutletUse::optional)
        .outlet("track5Button", &Screen::track5Button, OutletUse::optional)
        .outlet("track6Button", &Screen::track6Button, OutletUse::optional)
        .outlet("track7Button", &Screen::track7Button, OutletUse::optional)
        .outlet("backButton", &Screen::backButton, OutletUse::optional)
        .outlet("stopButton", &Screen::stopButton)
        .outlet("trackTitleLabel", &Screen::trackTitleLabel)
        .outlet("trackPositionLabel", &Screen::trackPositionLabel)
        .outlet("progressView", &Screen::progressView)
        .action("trackSelected:", &Screen::trackSelected)
        .action("stopMusic:", &Screen::stopMusic)
        .registerClass();
}

MusicViewController::MusicViewController(NSCoder& coder)
    : OnDemandContentViewController(coder), audioPlayer(AVAudioPlayer::init()) {}

MusicViewController::MusicViewController(const std::optional<std::string>& nibName,
                                         const std::shared_ptr<NSBundle>& bundle)
    : OnDemandContentViewController(nibName, bundle), audioPlayer(AVAudioPlayer::init()) {}

// The timer would notice the screen is gone only at its next tick; cancel it
// now so that nothing stays scheduled for a freed screen.
MusicViewController::~MusicViewController() {
    cancelTimer();
}

void MusicViewController::viewDidLoad() {
    OnDemandContentViewController::viewDidLoad();
    setHidden(stopButton, true);
    setHidden(trackTitleLabel, true);
    setHidden(trackPositionLabel, true);
    downloadResources("Audio");
}

void MusicViewController::didReceiveMemoryWarning() {
    OnDemandContentViewController::didReceiveMemoryWarning();
}

void MusicViewController::trackSelected(UIButton& sender) {
    Track track = trackForTag(sender.tag());
    tappedTile_ = std::static_pointer_cast<UIButton>(sender.weak_from_this().lock());
    audioFileName = track.fileName;
    audioName = track.title;
    runCatchingLookupErrors([this] { playTrack(); });
}

void MusicViewController::playTrack() {
    const std::string name = audioFileName.value_or("");
    std::shared_ptr<NSURL> url;
    if (request && request->bundle())
        url = request->bundle()->URLForResource(name, "mp3");
    if (url) {
        startPlayer(url);
        return;
    }
    showBusyAlert(NSLocalizedString("Music downloading!"));
    throw AppError::invalidResource(name, "mp3");
}

void MusicViewController::startPlayer(const std::shared_ptr<NSURL>& url) {
    std::shared_ptr<NSError> error;
    auto player = AVAudioPlayer::initWithContentsOfURL(url, &error);
    if (!player) {
        debugPrint("Unable to find resource");
        return;
    }
    audioPlayer = player;
    audioPlayer->play();
    isPlaying = true;
    markPlayingTile(tappedTile_.lock());
    // Only the end of this very player clears the mark: an older one may end late.
    audioPlayer->setDidFinishPlaying(
        [screen = weakFrom(this), finished = std::weak_ptr<AVAudioPlayer>(player)] {
            auto strong = screen.lock();
            if (strong && strong->audioPlayer == finished.lock())
                strong->markPlayingTile(nullptr);
        });
    setHidden(stopButton, false);
    setHidden(trackTitleLabel, false);
    setText(trackTitleLabel, localizedFormat(NSLocalizedString("Now playing: %1"),
                                             {LocalizedText::name(audioName.value_or(""))}));
    setHidden(trackPositionLabel, false);
    // Only the newest timer may write the position: an older one would keep
    // the screen busy for a player that is already gone.
    cancelTimer();
    timer = NSTimer::scheduledTimerWithTimeInterval(
        1.0, sharedFrom(this), &MusicViewController::updateTime, nullptr, true);
}

void MusicViewController::updateTime() {
    setText(trackPositionLabel, LocalizedText::name(trackPositionText(audioPlayer->currentTime())));
}

void MusicViewController::stopMusic(NSObject&) {
    audioPlayer->stop();
    audioPlayer->setCurrentTime(0.0);
    isPlaying = false;
    setText(trackTitleLabel, LocalizedText());
    setHidden(trackPositionLabel, true);
    setHidden(stopButton, true);
    markPlayingTile(nullptr);
    // Nothing is shown for a stopped track, so its ticks have nothing to do.
    cancelTimer();
}

void MusicViewController::viewDidDisappear(bool animated) {
    OnDemandContentViewController::viewDidDisappear(animated);
    if (isPlaying)
        stopMusic(*this);
}

void MusicViewController::markPlayingTile(const std::shared_ptr<UIButton>& tile) {
    if (auto previous = playingTile_.lock(); previous && previous != tile)
        previous->setSelected(false);
    if (tile)
        tile->setSelected(true);
    playingTile_ = tile;
}

void MusicViewController::cancelTimer() {
    if (timer)
        timer->invalidate();
    timer = nullptr;
}
