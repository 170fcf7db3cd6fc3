#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/media/TimedText.h"

namespace {

[[noreturn]] void broken(const char* why) {
    std::fprintf(stderr, "timed text reader broke a promise: %s\n", why);
    std::abort();
}

}  // namespace

// Any bytes are WebVTT or not; what is read keeps the promises the players rely on: each cue
// ends after it starts and within a day, cues come in the order of their start, no cue is
// longer than the cap, its word times fall inside its text and its times, each after the one
// before, and the queries agree with one another.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = TimedText::parseWebVTT(text);
    if (!parsed)
        return 0;
    double previous = 0;
    for (const auto& cue : parsed->cues()) {
        if (!(cue.start < cue.end) || cue.end > TimedText::kMaxSeconds || cue.start < 0)
            broken("a cue's times");
        if (cue.start < previous)
            broken("the order of cues");
        if (cue.text.size() > TimedText::kMaxCueBytes)
            broken("a cue's length");
        previous = cue.start;
        double wordTime = cue.start;
        std::size_t wordOffset = 0;
        for (const auto& word : cue.words) {
            if (word.offset < wordOffset || word.offset > cue.text.size())
                broken("a word's place in its cue");
            if (!(word.seconds > wordTime) || !(word.seconds < cue.end))
                broken("a word's time");
            if (cue.sungBytes(word.seconds).value_or(0) < word.offset ||
                cue.nextWordAfter(wordTime) != word.seconds)
                broken("the words sung by a word's time");
            wordOffset = word.offset;
            wordTime = word.seconds;
        }
        if (cue.sungBytes(cue.end).value_or(cue.text.size()) != cue.text.size() ||
            cue.nextWordAfter(wordTime))
            broken("the words sung by a cue's end");
        double middle = (cue.start + cue.end) / 2;
        if (parsed->activeAt(middle).empty() || !parsed->currentAt(middle) ||
            parsed->textAt(middle).empty())
            broken("a cue is not shown within its times");
    }
    return 0;
}
