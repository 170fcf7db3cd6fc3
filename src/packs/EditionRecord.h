#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "packs/PackManifest.h"

// The highest edition of each pack this cache has installed, and the SHA-256 of that
// manifest's bytes, in "<cache>/editions/<Tag>":
//   edition <N>
//   manifest <SHA-256 of the manifest, hex>
// Outside the pack folder, so that removing a pack does not forget it: otherwise removing and
// fetching again would take whatever edition a server offers. It is raised only once a whole
// pack has verified, under the tag's lock, and replaced atomically.
class EditionRecord {
public:
    static constexpr const char* kFolderName = "editions";
    // A record is about a hundred bytes; a larger file is none.
    static constexpr std::size_t kMaxSize = 256;

    struct Accepted {
        std::uint64_t edition = 0;
        std::string manifestSha256;
        bool operator==(const Accepted&) const = default;
    };
    // What `text` records, or nothing when it is not a record. Each record has one spelling:
    // text(*parse(t)) == t.
    static std::optional<Accepted> parse(std::string_view text);
    static std::string text(const Accepted& accepted);
    static Accepted of(const PackManifest& manifest, std::string_view json);

    explicit EditionRecord(const std::filesystem::path& cacheDirectory);
    std::filesystem::path path(const std::string& tag) const { return folder_ / tag; }

    // Throws ContentError unless `manifest`, whose bytes are `json`, may replace what was
    // accepted for its tag before: LKSOnDemandUntrustedError, `where` first, for an older
    // edition or the same edition with other bytes; LKSOnDemandStorageError for a record that
    // cannot be read, which refuses every edition until a person removes it, since the edition
    // it held is unknown and any edition offered could be older.
    void check(const PackManifest& manifest, std::string_view json, const std::string& where) const;
    // Raises the record of the manifest's tag to it, after check() passed. Throws ContentError
    // (storage).
    void accept(const PackManifest& manifest, std::string_view json) const;

private:
    // Nothing when no edition of `tag` was accepted; throws for a damaged record.
    std::optional<Accepted> load(const std::string& tag) const;

    std::filesystem::path cache_;
    std::filesystem::path folder_;
};
