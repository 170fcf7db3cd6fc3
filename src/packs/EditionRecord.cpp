#include "packs/EditionRecord.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <system_error>

#include "packs/ContentError.h"
#include "packs/FileIo.h"
#include "packs/Sha256.h"
#include "platform/foundation/NSError.h"

namespace {

constexpr std::string_view kEditionLabel = "edition ";
constexpr std::string_view kManifestLabel = "manifest ";

std::string edition(std::uint64_t number) {
    return "edition " + std::to_string(number);
}

[[noreturn]] void damaged(const std::filesystem::path& path) {
    throw ContentError(LKSOnDemandStorageError,
                       path.string() +
                           ": the record of the edition accepted before is damaged, so any "
                           "edition offered could be older; remove it to accept the server's");
}

}  // namespace

std::optional<EditionRecord::Accepted> EditionRecord::parse(std::string_view record) {
    auto lineEnd = record.find('\n');
    if (record.size() > kMaxSize || !record.starts_with(kEditionLabel) ||
        lineEnd == std::string_view::npos)
        return std::nullopt;
    Accepted accepted;
    const char* last = record.data() + lineEnd;
    auto number = std::from_chars(record.data() + kEditionLabel.size(), last, accepted.edition);
    auto rest = record.substr(lineEnd + 1);
    if (number.ec != std::errc() || number.ptr != last || !rest.starts_with(kManifestLabel))
        return std::nullopt;
    accepted.manifestSha256 = rest.substr(kManifestLabel.size(), 64);
    // The one spelling also rules out leading zeros, other digests and anything after them.
    bool hex = accepted.manifestSha256.size() == 64 &&
               accepted.manifestSha256.find_first_not_of("0123456789abcdef") == std::string::npos;
    if (accepted.edition == 0 || !hex || text(accepted) != record)
        return std::nullopt;
    return accepted;
}

std::string EditionRecord::text(const Accepted& accepted) {
    return std::string(kEditionLabel) + std::to_string(accepted.edition) + "\n" +
           std::string(kManifestLabel) + accepted.manifestSha256 + "\n";
}

EditionRecord::Accepted EditionRecord::of(const PackManifest& manifest, std::string_view json) {
    return {manifest.edition(), Sha256::hex(json.data(), json.size())};
}

EditionRecord::EditionRecord(const std::filesystem::path& cacheDirectory)
    : cache_(cacheDirectory), folder_(cacheDirectory / kFolderName) {}

std::optional<EditionRecord::Accepted> EditionRecord::load(const std::string& tag) const {
    struct stat info {};
    if (::stat(cache_.c_str(), &info) != 0 && errno == ENOENT)
        return std::nullopt;
    auto root = DirectoryHandle::openRoot(cache_);
    if (!root.status(kFolderName, info) && errno == ENOENT)
        return std::nullopt;
    // Read only inside a real folder: a link in its place could point anywhere.
    auto folder = root.find(kFolderName);
    if (!folder)
        damaged(folder_);
    if (!folder->status(tag, info) && errno == ENOENT)
        return std::nullopt;
    auto text = folder->readFile(tag, kMaxSize);
    auto accepted = text ? parse(*text) : std::nullopt;
    if (!accepted)
        damaged(path(tag));
    return accepted;
}

void EditionRecord::check(const PackManifest& manifest, std::string_view json,
                          const std::string& where) const {
    auto before = load(manifest.tag());
    if (!before || manifest.edition() > before->edition)
        return;
    auto offered = edition(manifest.edition()), accepted = edition(before->edition);
    if (manifest.edition() < before->edition)
        throw ContentError(LKSOnDemandUntrustedError, where + ": " + offered + " is older than " +
                                                          accepted + " accepted before");
    if (of(manifest, json) != *before)
        throw ContentError(
            LKSOnDemandUntrustedError,
            where + ": " + offered + " differs from the " + accepted + " accepted before");
}

void EditionRecord::accept(const PackManifest& manifest, std::string_view json) const {
    auto before = load(manifest.tag());
    // Never lowered, and left as it is for the edition it already holds.
    if (before && before->edition >= manifest.edition())
        return;
    DirectoryHandle::openRoot(cache_)
        .make(kFolderName)
        .replaceFile(manifest.tag(), text(of(manifest, json)));
}
