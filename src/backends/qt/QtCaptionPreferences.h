#pragma once

#include <optional>
#include <string>

#include "platform/PlatformBackend.h"

// The family's caption language and the grown-ups' "captions on every video", kept between
// runs in a file of their own beside the window's state (never in the settings, which the story
// owns): {"captions": "de", "everyVideo": true}, "captions" null while off. A damaged file is
// named in one debug line and read as captions off.
class QtCaptionPreferences {
public:
    // An empty `file` keeps the preferences for the run only.
    explicit QtCaptionPreferences(std::string file);

    const std::optional<std::string>& language() const { return language_; }
    bool everyVideo() const { return everyVideo_; }
    void setLanguage(const std::optional<std::string>& language);
    void setEveryVideo(bool on);

private:
    void save() const;

    std::string file_;
    std::optional<std::string> language_;
    bool everyVideo_ = false;
};
