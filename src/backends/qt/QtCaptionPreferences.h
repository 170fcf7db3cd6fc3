#pragma once

#include <string>

#include "platform/PlatformBackend.h"

// The family's caption choice and the grown-ups' "captions on every video", kept between runs
// in a file of their own beside the window's state (never in the settings, which the story
// owns): {"captions": "de"} (null while off), {"everyVideo": true}. A damaged file is named in
// one debug line and read as nothing chosen.
class QtCaptionPreferences {
public:
    // An empty `file` keeps the preferences for the run only.
    explicit QtCaptionPreferences(std::string file);

    const CaptionChoice& choice() const { return choice_; }
    bool everyVideo() const { return everyVideo_; }
    void setChoice(const CaptionChoice& choice);
    void setEveryVideo(bool on);

private:
    void save() const;

    std::string file_;
    CaptionChoice choice_;
    bool everyVideo_ = false;
};
