#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One file of a pack, as the manifest describes it.
struct PackFile {
    std::string name;
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
};

// The list of files of an on-demand pack:
//   {"format": 1, "tag": ..., "edition": N, "expires": "2027-06-30T00:00:00Z",
//    "files": [{"name", "size", "sha256"}]}.
// The edition, a positive integer the publisher raises with every change, orders the signed
// manifests of a tag, so an application can refuse one older than what it accepted before
// (EditionRecord.h). A manifest without one is refused: it could not be told apart from any
// other manifest signed before editions existed.
// "expires", which may be left out, is the moment (UTC) from which the manifest is no longer
// offered to be installed: a publisher's guard against a mirror serving a withdrawn edition for
// ever. It is inside the signed bytes like the rest.
// A manifest only exists in validated form, so nothing downstream re-checks names or sizes.
// Every failure throws ContentError with LKSOnDemandBadManifestError.
class PackManifest {
public:
    // Files larger than this are taken as a corrupt manifest, not as a reason to fill the disk.
    static constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 40;
    static constexpr std::size_t kMaxJsonSize = 4 * 1024 * 1024;
    // File name of the manifest on the server and in a pack folder made by larkspire-pack.
    static constexpr const char* kFileName = "manifest.json";
    // Copy kept inside an installed pack; a dot-name, which no pack file may have.
    static constexpr const char* kInstalledFileName = ".manifest.json";
    // The publisher's signature of the manifest (PackSignature.h), served beside it and kept
    // beside the copy, so an installed pack can be checked again without the network.
    static constexpr const char* kSignatureFileName = "manifest.json.sig";
    static constexpr const char* kInstalledSignatureName = ".manifest.json.sig";
    // The rules this application reads a pack by. Signatures name it too, so one made under
    // these rules never vouches for a manifest read under others.
    static constexpr unsigned kFormat = 1;

    // Edition 1 unless said: a pack's first.
    PackManifest(std::string tag, std::vector<PackFile> files, std::uint64_t edition = 1,
                 std::optional<std::int64_t> expires = std::nullopt);

    static PackManifest parse(std::string_view json);
    std::string toJson() const;

    const std::string& tag() const { return tag_; }
    std::uint64_t edition() const { return edition_; }
    const std::vector<PackFile>& files() const { return files_; }
    std::uint64_t totalSize() const { return totalSize_; }
    // Seconds since 1970 (UTC), when the manifest says.
    const std::optional<std::int64_t>& expires() const { return expires_; }

    // "2027-06-30T00:00:00Z", the one form "expires" is written in, from seconds since 1970.
    static std::string timeText(std::int64_t seconds);
    // Seconds since 1970 of a time in that form; nothing for any other text.
    static std::optional<std::int64_t> parseTime(std::string_view text);

    // A tag or file name that stays inside its folder and is not hidden: non-empty, at most
    // 255 bytes, no '/', '\\', NUL or control character, not starting with '.' (so never
    // "." or "..").
    static bool isSafeName(std::string_view name);

private:
    std::string tag_;
    std::uint64_t edition_;
    std::optional<std::int64_t> expires_;
    std::vector<PackFile> files_;
    std::uint64_t totalSize_ = 0;
};
