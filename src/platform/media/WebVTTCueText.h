#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media/TimedTextCue.h"

// A WebVTT timestamp, "[hours:]mm:ss.ttt", read at `at` and moved past; nothing when the text
// there is not one (`at` is then left anywhere). Hours take any number of digits, and a first
// field that is not exactly two digits up to 59 is hours.
std::optional<double> readWebVTTTimestamp(std::string_view text, std::size_t& at);

// A cue's text as shown: tags dropped with their text kept, character references resolved as
// HTML resolves them (through libgumbo), and each timestamp tag a word time where it stood.
// The words are as written: whether they run forward is for the caller to judge. The payload
// is the file's after its preprocessing: valid UTF-8, lines ended by '\n', no NUL.
struct WebVTTCueText {
    std::string text;
    std::vector<TimedTextWord> words;
};
WebVTTCueText readWebVTTCueText(std::string_view payload);
