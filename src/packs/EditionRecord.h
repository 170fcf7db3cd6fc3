#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packs/PackManifest.h"

class TrustedKeys;

// The highest edition of each pack this cache has installed under each publisher key, with
// the SHA-256 of that manifest's bytes, in "<cache>/editions/<Tag>":
//   larkspire-editions 2
//   <edition> <SHA-256 of the manifest, hex> <key id, hex>      one line per key, by key id
// Caches from before keys were recorded hold "edition <N>\nmanifest <hex>\n", whose key is
// unknown ("-" once written in the new form).
// Only the editions of keys trusted now bind: a withdrawn key's edition, however high, neither
// plays nor holds back what a trusted key signs later. An edition of unknown key binds, unless
// the installed manifest copy is that very manifest and no trusted key verifies it.
// Outside the pack folder, so that removing a pack does not forget it: otherwise removing and
// fetching again would take whatever edition a server offers. It is raised only once a whole
// pack has verified, under the tag's lock, and replaced atomically.
class EditionRecord {
public:
    static constexpr const char* kFolderName = "editions";
    // A line is about 140 bytes and there is one per key ever used: a larger file is none.
    static constexpr std::size_t kMaxSize = 16 * 1024;

    struct Accepted {
        std::uint64_t edition = 0;
        std::string manifestSha256;
        std::string keyId;  // empty: unknown
        bool operator==(const Accepted&) const = default;
    };
    // What `text` records, or nothing when it is not a record, in either form.
    static std::optional<std::vector<Accepted>> parse(std::string_view text);
    // The new form, one line per key in the order of their ids.
    static std::string text(std::vector<Accepted> accepted);

    EditionRecord(const std::filesystem::path& cacheDirectory, const TrustedKeys& keys);
    std::filesystem::path path(const std::string& tag) const { return folder_ / tag; }

    // Throws ContentError unless `manifest`, whose bytes are `json`, may replace what was
    // accepted for its tag before: LKSOnDemandUntrustedError, `where` first, for an older
    // edition or the same edition with other bytes; LKSOnDemandStorageError for a record that
    // cannot be read, which refuses every edition until a person removes it, since the edition
    // it held is unknown and any edition offered could be older.
    void check(const PackManifest& manifest, std::string_view json, const std::string& where) const;
    // Raises what `keyId` is recorded to have signed for the manifest's tag to it, after
    // check() passed. Throws ContentError (storage).
    void accept(const PackManifest& manifest, std::string_view json,
                const std::string& keyId) const;

private:
    // Nothing when no edition of `tag` was accepted; throws for a damaged record.
    std::vector<Accepted> load(const std::string& tag) const;
    bool binds(const std::string& tag, const Accepted& accepted) const;

    std::filesystem::path cache_;
    std::filesystem::path folder_;
    const TrustedKeys& keys_;
};
