#include "packs/InstallRecord.h"

#include <charconv>

namespace {

constexpr std::string_view kHeader = "larkspire-install-record 3";
constexpr std::string_view kHashed = "hashed ";
constexpr std::string_view kKey = "key ";
constexpr std::string_view kFile = "file ";

// The next line of `text` from `at`, without its '\n'; false at the end or on a last line
// that has none (a record cut short).
bool nextLine(std::string_view text, std::size_t& at, std::string_view& line) {
    auto end = text.find('\n', at);
    if (end == std::string_view::npos)
        return false;
    line = text.substr(at, end - at);
    at = end + 1;
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads one number and the space after it from the front of `line`.
template <typename Number>
bool takeNumber(std::string_view& line, Number& number) {
    auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), number);
    if (error != std::errc() || end == line.data() || end == line.data() + line.size() ||
        *end != ' ')
        return false;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    return true;
}

}  // namespace

std::string InstallRecord::text() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = std::string(kHeader) + "\n" + sound + "\n" + std::string(kHashed) +
                      std::to_string(hashedAt) + "\n" + std::string(kKey);
    for (unsigned char byte : keyFile)
        out += {kDigits[byte >> 4], kDigits[byte & 15]};
    out += "\n";
    for (const auto& [name, stamp] : entries) {
        out += std::string(kFile) + std::to_string(stamp.device) + " " +
               std::to_string(stamp.inode) + " " + std::to_string(stamp.size) + " " +
               std::to_string(stamp.changedSeconds) + " " +
               std::to_string(stamp.changedNanoseconds) + " " + name + "\n";
    }
    return out;
}

std::optional<InstallRecord> InstallRecord::parse(std::string_view text) {
    if (text.size() > kMaxSize)
        return std::nullopt;
    InstallRecord record;
    std::size_t at = 0;
    std::string_view line;
    if (!nextLine(text, at, line) || line != kHeader || !nextLine(text, at, line) ||
        (line != kVerified && !line.starts_with(kBootPrefix)))
        return std::nullopt;
    record.sound = line;
    if (!nextLine(text, at, line) || !line.starts_with(kHashed))
        return std::nullopt;
    line.remove_prefix(kHashed.size());
    auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), record.hashedAt);
    if (error != std::errc() || end != line.data() + line.size())
        return std::nullopt;
    if (!nextLine(text, at, line) || !line.starts_with(kKey) || line.size() % 2 != 0)
        return std::nullopt;
    record.keyFile.reserve((line.size() - kKey.size()) / 2);
    for (std::size_t i = kKey.size(); i < line.size(); i += 2) {
        int high = hexValue(line[i]), low = hexValue(line[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        record.keyFile += static_cast<char>(high * 16 + low);
    }
    while (at < text.size()) {
        if (!nextLine(text, at, line) || !line.starts_with(kFile))
            return std::nullopt;
        line.remove_prefix(kFile.size());
        FileStamp stamp;
        if (!takeNumber(line, stamp.device) || !takeNumber(line, stamp.inode) ||
            !takeNumber(line, stamp.size) || !takeNumber(line, stamp.changedSeconds) ||
            !takeNumber(line, stamp.changedNanoseconds) || line.empty() ||
            !record.entries.emplace(std::string(line), stamp).second)
            return std::nullopt;
    }
    return record;
}
