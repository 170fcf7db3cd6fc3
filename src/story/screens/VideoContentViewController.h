#pragma once

#include <memory>
#include <optional>
#include <string>

#include "story/content/OnDemandContentViewController.h"

struct NSNotification;

// What the chapter screen and the documentary screen share: the "Video"
// download started at load, the lookup of the chosen video (installed with the
// application or fetched), and full-screen playback that closes itself at the
// end of the video.
class VideoContentViewController : public OnDemandContentViewController {
public:
    using AppError = ::AppError;

    explicit VideoContentViewController(NSCoder& coder);
    VideoContentViewController(const std::optional<std::string>& nibName,
                               const std::shared_ptr<NSBundle>& bundle);

    void viewDidLoad() override;
    // The end of a played item: logs it and closes the player screen.
    void playerDidFinishPlaying(const NSNotification& notification);

    std::optional<std::string> videoName;

protected:
    // Plays `videoName`: from the application's own files when it is
    // `installedName`, from the fetched set otherwise; a miss ends in one
    // debug line.
    void playChosenVideo(const std::string& installedName);
    void playBundledVideo();
    void playDownloadedVideo();
    void playVideo(const std::string& path);
};
