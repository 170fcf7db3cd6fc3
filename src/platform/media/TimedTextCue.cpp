#include "platform/media/TimedTextCue.h"

#include <algorithm>

std::optional<std::size_t> TimedTextCue::sungBytes(double seconds) const {
    if (words.empty())
        return std::nullopt;
    auto next = std::find_if(words.begin(), words.end(),
                             [seconds](const auto& word) { return word.seconds > seconds; });
    return next == words.end() ? text.size() : next->offset;
}

std::optional<double> TimedTextCue::nextWordAfter(double seconds) const {
    auto next = std::find_if(words.begin(), words.end(),
                             [seconds](const auto& word) { return word.seconds > seconds; });
    return next == words.end() ? std::nullopt : std::optional<double>(next->seconds);
}
