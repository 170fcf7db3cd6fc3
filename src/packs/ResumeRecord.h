#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "packs/Fetcher.h"
#include "packs/FileIo.h"
#include "packs/PackManifest.h"
#include "packs/VerifiedFileWriter.h"

// What a cut download of a pack kept in its staging folder, so the next request carries on
// instead of starting from zero: for each kept file, the manifest entry it was fetched for,
// how many of its first bytes are kept with their SHA-256, and the server's validators.
// Nothing here is trusted as such: a kept prefix is read back and hashed before it is used.
struct KeptFile {
    PackFile file;  // as the manifest of the cut download described it
    std::uint64_t bytes = 0;
    std::string prefixSha256;
    std::string etag;
    std::string lastModified;

    // The kept part of `file` after a transfer whose response began with `head`; validators
    // the response did not carry stay those of `earlier`, when the transfer carried on from it.
    static KeptFile from(const PackFile& file, const VerifiedFileWriter::Prefix& prefix,
                         const Fetcher::Head& head, const KeptFile* earlier);
    // The validator to send with If-Range: the strong ETag, else Last-Modified, else none.
    std::string validator() const { return etag.empty() ? lastModified : etag; }
    // False when a validator both sides know differs: the server's file changed since.
    bool sameServerFile(const Fetcher::Head& head) const;
};

namespace resumerecord {

// A dot-name, which no pack file may have.
inline constexpr const char* kFileName = ".resume.json";

// Larger than any record of a real pack: a bigger one is damage, not read into memory.
inline constexpr std::size_t kMaxSize = 1024 * 1024;

// The sound entries of the record in `folder`; nothing when it is missing, not a regular file,
// larger than kMaxSize or not a record.
std::vector<KeptFile> load(const DirectoryHandle& folder);
// Replaces the record atomically; throws ContentError (storage).
void save(const DirectoryHandle& folder, const std::vector<KeptFile>& kept);

}  // namespace resumerecord
