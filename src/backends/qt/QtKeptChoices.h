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
    // An empty `file` keeps the preferences for the run only. The file is read when they are
    // first asked for, at the first video or panel, never on the way to the first screen.
    explicit QtCaptionPreferences(std::string file) : file_(std::move(file)) {}

    const std::optional<std::string>& language() const { return load().language; }
    bool everyVideo() const { return load().everyVideo; }
    void setLanguage(const std::optional<std::string>& language);
    void setEveryVideo(bool on);

private:
    struct Stored {
        std::optional<std::string> language;
        bool everyVideo = false;
    };
    const Stored& load() const;
    void save() const;

    std::string file_;
    mutable std::optional<Stored> read_;
};
