#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "packs/Fetcher.h"

// When a pack's content source was last asked for a newer edition, and the validators it
// served the installed manifest with, so the next check is a conditional request that a server
// with nothing new answers without a body. In "<cache>/updates/<Tag>":
//   larkspire-update-check 1
//   checked <seconds since 1970>
//   manifest <SHA-256 of the manifest the validators are of, hex>
//   etag <value>
//   last-modified <value>
// Damaged or missing, it is as if no check was made: the next one asks without conditions.
struct UpdateRecord {
    static constexpr const char* kFolderName = "updates";
    static constexpr std::size_t kMaxSize = 4096;

    std::int64_t checked = 0;
    std::string manifestSha256;
    Fetcher::Conditions validators;

    static std::optional<UpdateRecord> load(const std::filesystem::path& cacheDirectory,
                                            const std::string& tag);
    // Replaces the record atomically; a failure is left unsaid, as it only costs a body later.
    void save(const std::filesystem::path& cacheDirectory, const std::string& tag) const;

    static std::optional<UpdateRecord> parse(std::string_view text);
    std::string text() const;
};
