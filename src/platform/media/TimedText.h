#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media/TimedTextCue.h"

// The timed text of one media file in one language, read from a WebVTT file
// ("<base name>.<language>.vtt" beside the media). Cues are kept in the order of their start.
class TimedText {
public:
    // A larger file is not read at all, and a longer cue is skipped: a damaged or hostile file
    // costs at most this much memory. Real captions of an hour take about 100 kB.
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;
    static constexpr std::size_t kMaxCueBytes = 2048;
    // Times beyond this (a day) are taken as damage, not as a very long film.
    static constexpr double kMaxSeconds = 24 * 3600;

    using SkipReport = std::function<void(const std::string& why)>;

    // The cues of a WebVTT text, or nothing when it is not WebVTT at all. Each cue that cannot
    // be read (bad or reversed times, too long) is skipped and told to `skipped`, once.
    static std::optional<TimedText> parseWebVTT(std::string_view text,
                                                const SkipReport& skipped = {});
    // The file at `path` parsed, or nothing (with one debug line) when it is missing, too large,
    // not a regular file or not WebVTT; skipped cues write a debug line each.
    static std::optional<TimedText> load(const std::filesystem::path& path);

    // The timed text files beside `media`, by language tag: "Mend the Sky.en.vtt" is "en" for
    // "Mend the Sky.mp3". A name whose tag is no plausible language tag is passed over. With
    // `listed`, only those names of the folder are looked at (a pack's, whose manifest lists
    // them), else whatever the folder holds.
    static std::map<std::string, std::filesystem::path> filesBeside(
        const std::filesystem::path& media,
        const std::optional<std::vector<std::string>>& listed = std::nullopt);
    // "en", "pt-BR", "zh-Hant": letters, then subtags of letters and digits.
    static bool isLanguageTag(std::string_view tag);

    const std::vector<TimedTextCue>& cues() const { return cues_; }
    // The cues shown at `seconds`, earliest start first.
    std::vector<const TimedTextCue*> activeAt(double seconds) const;
    // The text shown at `seconds`: every active cue's, one under the other; "" between cues.
    std::string textAt(double seconds) const;
    // The line being sung at `seconds` (of overlapping cues, the one that started last), and
    // the one after it (the next cue to start); either may be null.
    const TimedTextCue* currentAt(double seconds) const;
    const TimedTextCue* nextAfter(double seconds) const;

private:
    std::vector<TimedTextCue> cues_;
};
