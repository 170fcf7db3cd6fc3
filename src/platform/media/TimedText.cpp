#include "platform/media/TimedText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/foundation/DebugLog.h"
#include "platform/media/WebVTTCueText.h"

namespace {

const std::string_view kReplacement = "\xEF\xBF\xBD";

// How many bytes at `at` make one well-formed UTF-8 character; when they do not, the negated
// count of those that stand for one U+FFFD (the longest start of a character, at least one).
std::ptrdiff_t utf8SequenceAt(std::string_view text, std::size_t at) {
    auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    unsigned char low = 0x80, high = 0xBF;
    std::size_t following = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return -1;
    }
    for (std::size_t i = 1; i <= following; ++i) {
        auto c = at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
        if (c < low || c > high)
            return -std::ptrdiff_t(i);
        low = 0x80;
        high = 0xBF;
    }
    return std::ptrdiff_t(following + 1);
}

// The text as WebVTT reads it: UTF-8, with whatever is not UTF-8 as U+FFFD; a leading byte
// order mark dropped, NUL as U+FFFD, and every line ended by '\n' alone.
std::string preprocessed(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\r' || text[i] == '\0') {
            out += text[i] == '\r' ? std::string_view("\n") : kReplacement;
            i += text.substr(i, 2) == "\r\n" ? 2 : 1;
            continue;
        }
        auto length = utf8SequenceAt(text, i);
        out += length > 0 ? text.substr(i, std::size_t(length)) : kReplacement;
        i += std::size_t(length > 0 ? length : -length);
    }
    return out;
}

// The lines of a preprocessed text; a last '\n' ends the last line and begins none.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool startsWithWord(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word &&
           (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

bool hasArrow(std::string_view line) {
    return line.find("-->") != std::string_view::npos;
}

// "00:01.000 --> 00:04.500 align:start": the two times. Whatever follows the end time is the
// cue's settings, which are not used.
std::optional<std::pair<double, double>> readTiming(std::string_view line) {
    std::size_t at = 0;
    auto skipWhitespace = [&] {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\f'))
            ++at;
    };
    skipWhitespace();
    auto start = readWebVTTTimestamp(line, at);
    skipWhitespace();
    if (!start || line.substr(at, 3) != "-->")
        return std::nullopt;
    at += 3;
    skipWhitespace();
    auto end = readWebVTTTimestamp(line, at);
    if (!end)
        return std::nullopt;
    return std::make_pair(*start, *end);
}

// Word times that run forward within the cue, each after the one before.
bool wordsRunForward(const TimedTextCue& cue) {
    double previous = cue.start;
    for (const auto& word : cue.words) {
        if (!(word.seconds > previous))
            return false;
        previous = word.seconds;
    }
    return previous < cue.end;
}

}  // namespace

std::optional<TimedText> TimedText::parseWebVTT(std::string_view text, const SkipReport& skipped) {
    std::string normal = preprocessed(text);
    auto lines = splitLines(normal);
    if (lines.empty() || !startsWithWord(lines[0], "WEBVTT"))
        return std::nullopt;
    auto skip = [&](std::size_t line, const std::string& why) {
        if (skipped)
            skipped("line " + std::to_string(line + 1) + ": " + why);
    };

    TimedText parsed;
    // The header runs to a blank line, or up to a timing line, which begins the first cue.
    std::size_t i = 1;
    while (i < lines.size() && !lines[i].empty() && !hasArrow(lines[i]))
        ++i;
    while (i < lines.size()) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        // A block runs to a blank line. Its timing is its first line or, after an identifier,
        // its second; any later line with "-->" begins the next block.
        std::size_t first = i, timingLine = lines.size();
        for (; i < lines.size() && !lines[i].empty(); ++i) {
            if (!hasArrow(lines[i]))
                continue;
            if (timingLine != lines.size() || i - first > 1)
                break;
            timingLine = i;
        }
        std::size_t blockEnd = i;
        bool hasTiming = timingLine != lines.size();
        auto timing = hasTiming ? readTiming(lines[timingLine]) : std::nullopt;
        if (!timing) {
            // Notes, styles and regions are no cues, and no fault either.
            if (!startsWithWord(lines[first], "NOTE") && !startsWithWord(lines[first], "STYLE") &&
                !startsWithWord(lines[first], "REGION"))
                skip(hasTiming ? timingLine : first,
                     hasTiming ? "not a cue timing" : "a block with no cue timing");
            continue;
        }
        auto [start, end] = *timing;
        if (end <= start || end > kMaxSeconds) {
            skip(timingLine, "the cue ends before it starts or too late");
            continue;
        }
        std::string payload;
        for (std::size_t line = timingLine + 1; line < blockEnd; ++line)
            payload.append(line > timingLine + 1 ? "\n" : "").append(lines[line]);
        // References can make the shown text longer than the written one: both are capped.
        WebVTTCueText shown;
        if (payload.size() <= kMaxCueBytes)
            shown = readWebVTTCueText(payload);
        if (payload.size() > kMaxCueBytes || shown.text.size() > kMaxCueBytes) {
            skip(timingLine, "a cue longer than " + std::to_string(kMaxCueBytes) + " bytes");
            continue;
        }
        if (shown.text.find_first_not_of(" \t\n") == std::string::npos)
            continue;
        TimedTextCue cue{start, end, std::move(shown.text), std::move(shown.words)};
        if (!wordsRunForward(cue)) {
            skip(timingLine, "word times out of order; the line shows whole");
            cue.words.clear();
        }
        parsed.cues_.push_back(std::move(cue));
    }
    std::stable_sort(parsed.cues_.begin(), parsed.cues_.end(),
                     [](const auto& a, const auto& b) { return a.start < b.start; });
    return parsed;
}

std::optional<TimedText> TimedText::load(const std::filesystem::path& path) {
    std::string name = path.filename().string();
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        std::uint64_t(info.st_size) > kMaxFileBytes) {
        print("Timed text " + name + " not read: " +
              (fd < 0                  ? std::generic_category().message(errno)
               : S_ISREG(info.st_mode) ? "larger than " + std::to_string(kMaxFileBytes) + " bytes"
                                       : std::string("not a regular file")));
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    std::string text(std::size_t(info.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    text.resize(got);
    auto parsed = parseWebVTT(
        text, [&name](const std::string& why) { print("Skipped a cue of " + name + ", " + why); });
    if (!parsed)
        print("Timed text " + name + " not read: not WebVTT");
    return parsed;
}

bool TimedText::isLanguageTag(std::string_view tag) {
    if (tag.empty() || tag.size() > 35)
        return false;
    std::size_t subtag = 0, length = 0;
    for (std::size_t i = 0; i <= tag.size(); ++i) {
        if (i == tag.size() || tag[i] == '-') {
            bool ok = subtag == 0 ? length >= 2 && length <= 3 : length >= 1 && length <= 8;
            if (!ok)
                return false;
            ++subtag;
            length = 0;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(tag[i]);
        if (!(subtag == 0 ? std::isalpha(c) : std::isalnum(c)))
            return false;
        ++length;
    }
    return true;
}

std::map<std::string, std::filesystem::path> TimedText::filesBeside(
    const std::filesystem::path& media, const std::optional<std::vector<std::string>>& listed) {
    std::vector<std::string> names;
    std::error_code ignored;
    if (listed) {
        names = *listed;
    } else {
        for (const auto& entry : std::filesystem::directory_iterator(media.parent_path(), ignored))
            names.push_back(entry.path().filename().string());
    }
    std::map<std::string, std::filesystem::path> files;
    std::string prefix = media.stem().string() + ".";
    for (const auto& name : names) {
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".vtt") != 0)
            continue;
        std::string tag = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        auto path = media.parent_path() / name;
        if (isLanguageTag(tag) && std::filesystem::symlink_status(path, ignored).type() ==
                                      std::filesystem::file_type::regular)
            files[tag] = path;
    }
    return files;
}

std::vector<const TimedTextCue*> TimedText::activeAt(double seconds) const {
    std::vector<const TimedTextCue*> active;
    for (const auto& cue : cues_) {
        if (cue.start > seconds)
            break;
        if (seconds < cue.end)
            active.push_back(&cue);
    }
    return active;
}

std::string TimedText::textAt(double seconds) const {
    std::string text;
    for (const auto* cue : activeAt(seconds))
        text += (text.empty() ? "" : "\n") + cue->text;
    return text;
}

const TimedTextCue* TimedText::currentAt(double seconds) const {
    auto active = activeAt(seconds);
    return active.empty() ? nullptr : active.back();
}

const TimedTextCue* TimedText::nextAfter(double seconds) const {
    const TimedTextCue* current = currentAt(seconds);
    for (const auto& cue : cues_) {
        if (current ? &cue > current : cue.start > seconds)
            return &cue;
    }
    return nullptr;
}
