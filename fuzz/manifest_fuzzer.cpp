#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <string_view>

#include "packs/ContentError.h"
#include "packs/PackManifest.h"

namespace {

[[noreturn]] void disagree(std::string_view text, const std::string& why) {
    std::fprintf(stderr, "manifest parser disagrees with the reference: %s\ninput: %.*s\n",
                 why.c_str(), static_cast<int>(text.size()), text.data());
    std::abort();
}

// What the service relies on for every name it turns into a path, checked byte by byte
// without the parser's helpers.
bool staysInItsFolder(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name[0] == '.')
        return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0')
            return false;
    }
    return true;
}

bool isLowerHex64(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// An expiry: a real UTC time from 1970 on, written exactly as 2027-06-30T00:00:00Z.
bool goodTime(const nlohmann::json& value) {
    static const std::regex kShape(R"(([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})Z)");
    std::smatch part;
    if (!value.is_string() || !std::regex_match(value.get_ref<const std::string&>(), part, kShape))
        return false;
    int year = std::stoi(part[1]), month = std::stoi(part[2]), day = std::stoi(part[3]);
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return year >= 1970 && month >= 1 && month <= 12 && day >= 1 &&
           day <= kDays[month - 1] + (month == 2 && leap) && std::stoi(part[4]) <= 23 &&
           std::stoi(part[5]) <= 59 && std::stoi(part[6]) <= 59;
}

// Whether a manifest should be accepted, worked out from the JSON document directly: the
// stricter name rule (length, control characters) the service applies on top of the above.
bool referenceAccepts(std::string_view text) {
    if (text.size() > PackManifest::kMaxJsonSize)
        return false;
    auto document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return false;
    auto goodName = [](const nlohmann::json& value) {
        if (!value.is_string())
            return false;
        const auto& name = value.get_ref<const std::string&>();
        if (name.size() > 255 || !staysInItsFolder(name))
            return false;
        for (char c : name) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                return false;
        }
        return true;
    };
    if (!document.contains("format") || !document["format"].is_number_unsigned() ||
        document["format"].get<std::uint64_t>() != PackManifest::kFormat)
        return false;
    if (!document.contains("tag") || !goodName(document["tag"]))
        return false;
    if (!document.contains("edition") || !document["edition"].is_number_unsigned() ||
        document["edition"].get<std::uint64_t>() == 0)
        return false;
    if (document.contains("expires") && !goodTime(document["expires"]))
        return false;
    if (!document.contains("files") || !document["files"].is_array())
        return false;
    std::set<std::string> names;
    std::uint64_t total = 0;
    for (const auto& entry : document["files"]) {
        if (!entry.is_object() || !entry.contains("name") || !entry.contains("size") ||
            !entry.contains("sha256"))
            return false;
        if (!goodName(entry["name"]) || !names.insert(entry["name"].get<std::string>()).second)
            return false;
        const auto& size = entry["size"];
        if (!size.is_number_unsigned() || size.get<std::uint64_t>() > PackManifest::kMaxFileSize)
            return false;
        total += size.get<std::uint64_t>();
        const auto& digest = entry["sha256"];
        if (!digest.is_string())
            return false;
        const auto& hex = digest.get_ref<const std::string&>();
        if (hex.size() != 64 ||
            hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
    }
    return total <= PackManifest::kMaxFileSize;
}

// Names, duplicates and sizes of an accepted manifest are the reference's to judge (below);
// these are what the parser makes of them.
void checkAccepted(std::string_view text, const PackManifest& manifest) {
    std::uint64_t total = 0;
    for (const auto& file : manifest.files()) {
        if (!isLowerHex64(file.sha256))
            disagree(text, "digest accepted that is not 64 lower-case hex digits");
        total += file.size;
    }
    if (total != manifest.totalSize())
        disagree(text, "total size is not the sum of the file sizes");

    // What the installer keeps in a pack must read back as the same manifest.
    std::string json = manifest.toJson();
    try {
        PackManifest again = PackManifest::parse(json);
        if (again.toJson() != json || again.tag() != manifest.tag())
            disagree(text, "round trip changed the manifest");
    } catch (const ContentError& error) {
        disagree(text, std::string("its own JSON is refused: ") + error.what());
    }
}

}  // namespace

// Any text is either a manifest that passes the reference checks or refused with
// ContentError; any other exception escapes and is reported as a crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    bool accepted = false;
    try {
        PackManifest manifest = PackManifest::parse(text);
        accepted = true;
        checkAccepted(text, manifest);
    } catch (const ContentError&) {
    }
    if (accepted != referenceAccepts(text))
        disagree(text, accepted ? "accepted what the reference refuses"
                                : "refused what the reference accepts");
    return 0;
}
