#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "packs/PackManifest.h"
#include "packs/PackSignature.h"

// Turns a folder of media files into a pack as the content server serves it: the files, their
// manifest.json and its signature side by side in the output folder.
class PackBuilder {
public:
    // Bytes copied so far out of the pack's total.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    // Copies every file of `source` into `output` (created if needed), hashing as it streams,
    // then writes the manifest, as `edition` and expiring at `expires` (seconds since 1970, when
    // given), and its signature by `key`. Files listed by a
    // manifest already in `output` but gone from the pack are removed. Throws std::runtime_error
    // with a message meant for a person when the tag or a file name would be refused by the
    // service, the edition is 0 or older than the one already in `output` (which applications
    // that installed that one would refuse), `source` has a subfolder or other non-file, or a
    // file cannot be read or written.
    static PackManifest build(const std::filesystem::path& source,
                              const std::filesystem::path& output, const std::string& tag,
                              const PublisherKey& key, const Progress& progress = {},
                              std::uint64_t edition = 1,
                              std::optional<std::int64_t> expires = std::nullopt);
};
