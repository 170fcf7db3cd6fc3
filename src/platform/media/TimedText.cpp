#include "platform/media/TimedText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/foundation/DebugLog.h"

namespace {

// The text as lines, with CRLF and lone CR taken as line ends.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

bool startsWithWord(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word &&
           (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Reads "[hh:]mm:ss.ttt" at `at`, moving past it; nothing when it is not one.
std::optional<double> readTimestamp(std::string_view line, std::size_t& at) {
    std::vector<long> fields;
    while (true) {
        std::size_t digits = 0;
        long value = 0;
        while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])) &&
               digits < 10) {
            value = value * 10 + (line[at++] - '0');
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        fields.push_back(value);
        if (at >= line.size() || line[at] != ':' || fields.size() == 3)
            break;
        ++at;
    }
    if (fields.size() < 2 || at + 4 > line.size() || line[at] != '.')
        return std::nullopt;
    long millis = 0;
    for (int i = 1; i <= 3; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[at + i])))
            return std::nullopt;
        millis = millis * 10 + (line[at + i] - '0');
    }
    at += 4;
    long hours = fields.size() == 3 ? fields[0] : 0;
    long minutes = fields[fields.size() - 2], seconds = fields.back();
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    return hours * 3600.0 + minutes * 60.0 + seconds + millis / 1000.0;
}

// "00:01.000 --> 00:04.500 align:start": the two times; settings are not used.
std::optional<std::pair<double, double>> readTiming(std::string_view line) {
    std::size_t at = 0;
    auto start = readTimestamp(line, at);
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (!start || line.substr(at, 3) != "-->")
        return std::nullopt;
    at += 3;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    auto end = readTimestamp(line, at);
    if (!end || (at < line.size() && line[at] != ' ' && line[at] != '\t'))
        return std::nullopt;
    return std::make_pair(*start, *end);
}

// Cue text as it is read: spans (<i>, <b>, <u>, <v Speaker>, <c.class>, inner timestamps) are
// dropped and the few named character references resolved.
std::string plainText(std::string_view payload) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"},  {"&lt;", "<"},        {"&gt;", ">"}, {"&quot;", "\""},
        {"&apos;", "'"}, {"&nbsp;", "\u00a0"}, {"&lrm;", ""}, {"&rlm;", ""},
    };
    std::string text;
    for (std::size_t i = 0; i < payload.size();) {
        if (payload[i] == '<') {
            auto close = payload.find('>', i);
            i = close == std::string_view::npos ? payload.size() : close + 1;
            continue;
        }
        if (payload[i] == '&') {
            bool resolved = false;
            for (const auto& [name, value] : kEntities) {
                if (payload.substr(i, name.size()) == name) {
                    text += value;
                    i += name.size();
                    resolved = true;
                    break;
                }
            }
            if (resolved)
                continue;
        }
        text += payload[i++];
    }
    return text;
}

}  // namespace

std::optional<TimedText> TimedText::parseWebVTT(std::string_view text, const SkipReport& skipped) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    auto lines = splitLines(text);
    if (lines.empty() || !startsWithWord(lines[0], "WEBVTT"))
        return std::nullopt;
    auto skip = [&](std::size_t line, const std::string& why) {
        if (skipped)
            skipped("line " + std::to_string(line + 1) + ": " + why);
    };

    TimedText parsed;
    std::size_t i = 1;
    // The header runs to the first blank line.
    while (i < lines.size() && !isBlank(lines[i]))
        ++i;
    while (i < lines.size()) {
        if (isBlank(lines[i])) {
            ++i;
            continue;
        }
        std::size_t blockStart = i, blockEnd = i;
        while (blockEnd < lines.size() && !isBlank(lines[blockEnd]))
            ++blockEnd;
        i = blockEnd;
        std::string_view first = lines[blockStart];
        if (startsWithWord(first, "NOTE") || startsWithWord(first, "STYLE") ||
            startsWithWord(first, "REGION"))
            continue;
        // An identifier line may come before the timing.
        std::size_t timingLine = blockStart;
        if (first.find("-->") == std::string_view::npos)
            ++timingLine;
        if (timingLine >= blockEnd) {
            skip(blockStart, "a block with no cue timing");
            continue;
        }
        auto timing = readTiming(lines[timingLine]);
        if (!timing) {
            skip(timingLine, "not a cue timing");
            continue;
        }
        auto [start, end] = *timing;
        if (end <= start || end > kMaxSeconds) {
            skip(timingLine, "the cue ends before it starts or too late");
            continue;
        }
        std::string payload;
        for (std::size_t line = timingLine + 1; line < blockEnd; ++line)
            payload += std::string(payload.empty() ? "" : "\n") + std::string(lines[line]);
        if (payload.size() > kMaxCueBytes) {
            skip(timingLine, "a cue longer than " + std::to_string(kMaxCueBytes) + " bytes");
            continue;
        }
        std::string shown = plainText(payload);
        if (!isBlank(shown))
            parsed.cues_.push_back({start, end, std::move(shown)});
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
