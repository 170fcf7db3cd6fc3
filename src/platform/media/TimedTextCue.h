#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A word time inside a sung line: from `seconds` on, the cue's text from byte `offset` on is
// sung too (a WebVTT timestamp tag, "<00:00:03.500>", stands where that text begins).
struct TimedTextWord {
    std::size_t offset = 0;
    double seconds = 0;
};

// One cue of captions or lyrics: shown from `start` up to, not including, `end` (seconds on
// the media's own clock). The text is plain: lines joined by '\n', spans and entities resolved.
struct TimedTextCue {
    double start = 0;
    double end = 0;
    std::string text;
    // In order of both offset and time, each time after the one before (the first after
    // `start`) and before `end`; empty for a cue sung as a whole.
    std::vector<TimedTextWord> words;

    // How many bytes of `text`, from its start, are sung by `seconds`: up to the first word
    // whose time is still to come. Nothing for a cue without word times.
    std::optional<std::size_t> sungBytes(double seconds) const;
    // The time of the first word sung after `seconds`, if one is still to come.
    std::optional<double> nextWordAfter(double seconds) const;
};
