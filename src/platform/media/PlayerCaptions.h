#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/TimedText.h"

// The captions of one media file: the languages its timed text files come in, the one shown
// (none while captions are off), and the text shown at a time on the media's clock.
class PlayerCaptions {
public:
    PlayerCaptions() = default;
    // Finds the timed text beside `media`; nothing is read until a language is shown. Captions
    // come on in `spoken`, the window's language, when the file has it.
    explicit PlayerCaptions(const std::filesystem::path& media, std::string spoken = "en");

    // Language tags, in the order of their names ("de", "en"); empty: the player offers no
    // captions control.
    const std::vector<std::string>& languages() const { return languages_; }
    const std::optional<std::string>& shown() const { return shown_; }
    // Shows `language` (off for nothing). A language the file does not have, or whose file
    // cannot be read, leaves captions off.
    void show(const std::optional<std::string>& language);
    // The language to show when captions come on: `wanted` when the file has it, else the
    // window's language, else English, else the first there is.
    std::optional<std::string> pick(const std::optional<std::string>& wanted) const;
    // Where the player's captions control goes from what is shown: off, then pick(nothing),
    // then the other languages in the order of their tags, then off again.
    std::optional<std::string> after(const std::optional<std::string>& shown) const;

    std::string textAt(double seconds) const;
    // The cues of the language shown; nothing while captions are off.
    const std::optional<TimedText>& timedText() const { return text_; }

private:
    std::map<std::string, std::filesystem::path> files_;
    std::vector<std::string> languages_;
    std::string spoken_;
    std::optional<std::string> shown_;
    std::optional<TimedText> text_;
};
