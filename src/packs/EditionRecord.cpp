#include "packs/EditionRecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "packs/ContentError.h"
#include "packs/FileIo.h"
#include "packs/PackSignature.h"
#include "packs/Sha256.h"
#include "platform/foundation/NSError.h"

namespace {

constexpr std::string_view kHeader = "larkspire-editions 2\n";
constexpr std::string_view kUnknownKey = "-";
constexpr std::size_t kMaxKeys = 64;

std::string edition(std::uint64_t number) {
    return "edition " + std::to_string(number);
}

bool isHex(std::string_view text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// A positive number without leading zeros, all of `text`.
std::optional<std::uint64_t> numberOf(std::string_view text) {
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number == 0 ||
        text.front() == '0')
        return std::nullopt;
    return number;
}

// The form of caches from before keys were recorded: "edition <N>\nmanifest <hex>\n".
std::optional<EditionRecord::Accepted> parseUnkeyed(std::string_view text) {
    constexpr std::string_view kEdition = "edition ", kManifest = "manifest ";
    auto lineEnd = text.find('\n');
    if (!text.starts_with(kEdition) || lineEnd == std::string_view::npos)
        return std::nullopt;
    auto number = numberOf(text.substr(kEdition.size(), lineEnd - kEdition.size()));
    auto rest = text.substr(lineEnd + 1);
    if (!number || !rest.starts_with(kManifest) || rest.size() != kManifest.size() + 65 ||
        rest.back() != '\n' || !isHex(rest.substr(kManifest.size(), 64)))
        return std::nullopt;
    return EditionRecord::Accepted{*number, std::string(rest.substr(kManifest.size(), 64)), {}};
}

[[noreturn]] void damaged(const std::filesystem::path& path) {
    throw ContentError(LKSOnDemandStorageError,
                       path.string() +
                           ": the record of the edition accepted before is damaged, so any "
                           "edition offered could be older; remove it to accept the server's");
}

}  // namespace

std::optional<std::vector<EditionRecord::Accepted>> EditionRecord::parse(std::string_view record) {
    if (record.size() > kMaxSize)
        return std::nullopt;
    if (auto unkeyed = parseUnkeyed(record))
        return std::vector<Accepted>{*unkeyed};
    if (!record.starts_with(kHeader))
        return std::nullopt;
    std::vector<Accepted> accepted;
    for (auto rest = record.substr(kHeader.size()); !rest.empty();) {
        auto end = rest.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        auto line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        auto space = line.find(' ');
        if (space == std::string_view::npos || line.size() < space + 67 || line[space + 65] != ' ')
            return std::nullopt;
        auto number = numberOf(line.substr(0, space));
        auto sha = line.substr(space + 1, 64), key = line.substr(space + 66);
        if (!number || !isHex(sha) || (key != kUnknownKey && !isHex(key)))
            return std::nullopt;
        accepted.push_back(
            {*number, std::string(sha), key == kUnknownKey ? std::string() : std::string(key)});
    }
    // One spelling: keys in order, each once, and at least one.
    for (std::size_t i = 1; i < accepted.size(); ++i) {
        if (!(accepted[i - 1].keyId < accepted[i].keyId))
            return std::nullopt;
    }
    if (accepted.empty() || accepted.size() > kMaxKeys)
        return std::nullopt;
    return accepted;
}

std::string EditionRecord::text(std::vector<Accepted> accepted) {
    std::sort(accepted.begin(), accepted.end(),
              [](const Accepted& a, const Accepted& b) { return a.keyId < b.keyId; });
    std::string text(kHeader);
    for (const auto& entry : accepted) {
        text += std::to_string(entry.edition) + " " + entry.manifestSha256 + " " +
                (entry.keyId.empty() ? std::string(kUnknownKey) : entry.keyId) + "\n";
    }
    return text;
}

EditionRecord::EditionRecord(const std::filesystem::path& cacheDirectory, const TrustedKeys& keys)
    : cache_(cacheDirectory), folder_(cacheDirectory / kFolderName), keys_(keys) {}

std::vector<EditionRecord::Accepted> EditionRecord::load(const std::string& tag) const {
    struct stat info {};
    if (::stat(cache_.c_str(), &info) != 0 && errno == ENOENT)
        return {};
    auto root = DirectoryHandle::openRoot(cache_);
    if (!root.status(kFolderName, info) && errno == ENOENT)
        return {};
    // Read only inside a real folder: a link in its place could point anywhere.
    auto folder = root.find(kFolderName);
    if (!folder)
        damaged(folder_);
    if (!folder->status(tag, info) && errno == ENOENT)
        return {};
    auto text = folder->readFile(tag, kMaxSize);
    auto accepted = text ? parse(*text) : std::nullopt;
    if (!accepted)
        damaged(path(tag));
    return *accepted;
}

bool EditionRecord::binds(const std::string& tag, const Accepted& accepted) const {
    if (!accepted.keyId.empty())
        return keys_.trusts(accepted.keyId);
    // Of unknown key: it is let go only when the installed copy shows it was a withdrawn key's.
    auto pack = DirectoryHandle::openRoot(cache_).find("packs");
    auto folder = pack ? pack->find(tag) : std::nullopt;
    auto json = folder
                    ? folder->readFile(PackManifest::kInstalledFileName, PackManifest::kMaxJsonSize)
                    : std::nullopt;
    if (!json || Sha256::hex(json->data(), json->size()) != accepted.manifestSha256)
        return true;
    auto signature =
        folder->readFile(PackManifest::kInstalledSignatureName, packsignature::kMaxFileSize);
    try {
        keys_.verify(tag, *json, signature.value_or(""), tag);
        return true;
    } catch (const ContentError&) {
        return false;
    }
}

void EditionRecord::check(const PackManifest& manifest, std::string_view json,
                          const std::string& where) const {
    std::vector<Accepted> binding;
    for (const auto& entry : load(manifest.tag())) {
        if (binds(manifest.tag(), entry))
            binding.push_back(entry);
    }
    if (binding.empty())
        return;
    auto top = std::max_element(binding.begin(), binding.end(), [](const auto& a, const auto& b) {
                   return a.edition < b.edition;
               })->edition;
    auto offered = edition(manifest.edition()), accepted = edition(top);
    if (manifest.edition() > top)
        return;
    if (manifest.edition() < top)
        throw ContentError(LKSOnDemandUntrustedError, where + ": " + offered + " is older than " +
                                                          accepted + " accepted before");
    const std::string sha = Sha256::hex(json.data(), json.size());
    if (std::none_of(binding.begin(), binding.end(), [&](const Accepted& entry) {
            return entry.edition == top && entry.manifestSha256 == sha;
        }))
        throw ContentError(
            LKSOnDemandUntrustedError,
            where + ": " + offered + " differs from the " + accepted + " accepted before");
}

void EditionRecord::accept(const PackManifest& manifest, std::string_view json,
                           const std::string& keyId) const {
    auto accepted = load(manifest.tag());
    auto mine = std::find_if(accepted.begin(), accepted.end(),
                             [&](const Accepted& entry) { return entry.keyId == keyId; });
    // Never lowered, and left as it is for the edition it already holds.
    if (mine != accepted.end() && mine->edition >= manifest.edition())
        return;
    Accepted now{manifest.edition(), Sha256::hex(json.data(), json.size()), keyId};
    if (mine != accepted.end())
        *mine = now;
    else if (accepted.size() < kMaxKeys)
        accepted.push_back(now);
    else
        throw ContentError(LKSOnDemandStorageError,
                           path(manifest.tag()).string() + ": editions of too many keys");
    DirectoryHandle::openRoot(cache_).make(kFolderName).replaceFile(manifest.tag(), text(accepted));
}
