#include "packs/PackManifest.h"

#include <nlohmann/json.hpp>

#include <ctime>
#include <set>

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

namespace {

[[noreturn]] void reject(const std::string& why) {
    throw ContentError(LKSOnDemandBadManifestError, "bad pack manifest: " + why);
}

bool isHexDigest(const std::string& text) {
    if (text.size() != 64)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// JSON text is UTF-8, so a name that is not could never be written into a manifest.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xe  ? 3
                             : (lead >> 3) == 0x1e ? 4
                                                   : 0;
        if (length == 0 || i + length > text.size())
            return false;
        std::uint32_t point = length == 1 ? lead : lead & (0x7f >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next >> 6) != 0x2)
                return false;
            point = (point << 6) | (next & 0x3f);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kSmallest[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
            return false;
        i += length;
    }
    return true;
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end())
        reject(std::string("missing \"") + key + "\"");
    return *found;
}

}  // namespace

bool PackManifest::isSafeName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name.front() == '.')
        return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f)
            return false;
    }
    return isValidUtf8(name);
}

std::string PackManifest::timeText(std::int64_t seconds) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "";
    if (::gmtime_r(&time, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0)
        return std::to_string(seconds);
    return text;
}

std::optional<std::int64_t> PackManifest::parseTime(std::string_view text) {
    // Exactly YYYY-MM-DDTHH:MM:SSZ, years 1970 to 9999.
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size())
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i])
            return std::nullopt;
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(5, 2) - 1;
    parts.tm_mday = number(8, 2);
    parts.tm_hour = number(11, 2);
    parts.tm_min = number(14, 2);
    parts.tm_sec = number(17, 2);
    if (parts.tm_year < 70 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_hour > 23 ||
        parts.tm_min > 59 || parts.tm_sec > 59)
        return std::nullopt;
    auto seconds = static_cast<std::int64_t>(::timegm(&parts));
    // timegm() carries a 31st of April over into May: such a date is none.
    if (timeText(seconds) != text)
        return std::nullopt;
    return seconds;
}

PackManifest::PackManifest(std::string tag, std::vector<PackFile> files, std::uint64_t edition,
                           std::optional<std::int64_t> expires)
    : tag_(std::move(tag)), edition_(edition), expires_(expires), files_(std::move(files)) {
    if (!isSafeName(tag_))
        reject("invalid tag \"" + tag_ + "\"");
    if (edition_ == 0)
        reject("\"edition\" is not a positive integer");
    std::set<std::string> seen;
    for (auto& file : files_) {
        if (!isSafeName(file.name))
            reject("invalid file name \"" + file.name + "\"");
        if (!seen.insert(file.name).second)
            reject("file \"" + file.name + "\" listed twice");
        if (file.size > kMaxFileSize)
            reject("file \"" + file.name + "\" has an absurd size");
        file.sha256 = lowerCase(file.sha256);
        if (!isHexDigest(file.sha256))
            reject("file \"" + file.name + "\" has no valid SHA-256");
        totalSize_ += file.size;
    }
    if (totalSize_ > kMaxFileSize)
        reject("pack has an absurd total size");
}

PackManifest PackManifest::parse(std::string_view json) {
    if (json.size() > kMaxJsonSize)
        reject("manifest too large");
    nlohmann::json document = nlohmann::json::parse(json, nullptr, false);
    if (document.is_discarded())
        reject("not valid JSON");
    if (!document.is_object())
        reject("not a JSON object");
    const auto& format = member(document, "format");
    if (!format.is_number_unsigned() || format.get<std::uint64_t>() != kFormat)
        reject("\"format\" is not " + std::to_string(kFormat) + ", the one this application reads");
    const auto& tag = member(document, "tag");
    if (!tag.is_string())
        reject("\"tag\" is not a string");
    // Unsigned only, as sizes are; 0 is refused with the rest of the manifest's checks.
    const auto& edition = member(document, "edition");
    if (!edition.is_number_unsigned())
        reject("\"edition\" is not a positive integer");
    std::optional<std::int64_t> expires;
    if (auto found = document.find("expires"); found != document.end()) {
        expires = found->is_string() ? parseTime(found->get<std::string>()) : std::nullopt;
        if (!expires)
            reject("\"expires\" is not a time such as \"2027-06-30T00:00:00Z\"");
    }
    const auto& list = member(document, "files");
    if (!list.is_array())
        reject("\"files\" is not an array");

    std::vector<PackFile> files;
    files.reserve(list.size());
    for (const auto& entry : list) {
        if (!entry.is_object())
            reject("a file entry is not an object");
        const auto& name = member(entry, "name");
        const auto& size = member(entry, "size");
        const auto& sha256 = member(entry, "sha256");
        if (!name.is_string())
            reject("a file name is not a string");
        // Unsigned only: negative sizes parse as signed, fractions and huge values as floats.
        if (!size.is_number_unsigned())
            reject("file \"" + name.get<std::string>() + "\" has an invalid size");
        if (!sha256.is_string())
            reject("file \"" + name.get<std::string>() + "\" has no valid SHA-256");
        files.push_back(
            {name.get<std::string>(), size.get<std::uint64_t>(), sha256.get<std::string>()});
    }
    return PackManifest(tag.get<std::string>(), std::move(files), edition.get<std::uint64_t>(),
                        expires);
}

std::string PackManifest::toJson() const {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& file : files_)
        list.push_back({{"name", file.name}, {"size", file.size}, {"sha256", file.sha256}});
    nlohmann::json document = {
        {"format", kFormat}, {"tag", tag_}, {"edition", edition_}, {"files", std::move(list)}};
    if (expires_)
        document["expires"] = timeText(*expires_);
    return document.dump(2) + "\n";
}
