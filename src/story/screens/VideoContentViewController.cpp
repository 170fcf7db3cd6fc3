#include "story/screens/VideoContentViewController.h"

#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"

VideoContentViewController::VideoContentViewController(NSCoder& coder)
    : OnDemandContentViewController(coder), videoName(std::nullopt) {}

VideoContentViewController::VideoContentViewController(const std::optional<std::string>& nibName,
                                                       const std::shared_ptr<NSBundle>& bundle)
    : OnDemandContentViewController(nibName, bundle), videoName(std::nullopt) {}

void VideoContentViewController::viewDidLoad() {
    OnDemandContentViewController::viewDidLoad();
    downloadResources("Video");
}

void VideoContentViewController::playChosenVideo(const std::string& installedName) {
    runCatchingLookupErrors([&] {
        if (videoName == installedName)
            playBundledVideo();
        else
            playDownloadedVideo();
    });
}

void VideoContentViewController::playBundledVideo() {
    const std::string name = videoName.value_or("");
    auto path = NSBundle::mainBundle()->pathForResource(name, "mp4");
    if (!path)
        throw AppError::invalidResource(name, "mp4");
    playVideo(*path);
}

void VideoContentViewController::playDownloadedVideo() {
    playVideo(pathOfDownloadedResource(videoName.value_or(""), "mp4",
                                       NSLocalizedString("Story downloading!")));
}

void VideoContentViewController::playVideo(const std::string& path) {
    auto url = NSURL::fileURLWithPath(path);
    auto player = AVPlayer::initWithURL(url);
    // Never removed: the centre holds the screen weakly, and the registration
    // ends with the item or the screen.
    NSNotificationCenter::defaultCenter().addObserver(
        sharedFrom(this), &VideoContentViewController::playerDidFinishPlaying,
        AVPlayerItemDidPlayToEndTimeNotification, player->currentItem());
    auto controller = AVPlayerViewController::init();
    controller->setPlayer(player);
    presentViewController(controller, true, [player] { player->play(); });
}

void VideoContentViewController::playerDidFinishPlaying(const NSNotification&) {
    print("Video Finished");
    if (presentedViewController())
        dismissViewControllerAnimated(true, nullptr);
}
