#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "packs/PackSignature.h"
#include "packs/PackStore.h"

// The manifest copy of an installed <Tag> when a key trusted now signed it: what it says, its
// bytes, the key, and the stamps of the copy and its signature as they were read.
struct TrustedCopy {
    PackManifest manifest;
    std::string json;
    const TrustedKeys::Key* key = nullptr;
    PackStore::Stamps stamps;
};
std::optional<TrustedCopy> trustedCopy(const PackStore& store, const TrustedKeys& keys,
                                       const std::string& tag);

// The SHA-256 of the file `name` of `folder`, and its stamp, unchanged while it was hashed;
// nothing when it is missing, no regular file, unreadable or changed meanwhile.
std::optional<std::string> hashOfFile(const DirectoryHandle& folder, const std::string& name,
                                      FileStamp& stamp);

// True when <Tag> is installed whole and its manifest copy still carries a signature by one of
// `keys`. A pack whose install record does not vouch for its bytes (PackStore::isRecordedSound)
// has its hashes checked first, without network, and is recorded as checked at `now` (seconds
// since 1970) when they match.
bool installedPackIsIntact(const PackStore& store, const TrustedKeys& keys, const std::string& tag,
                           std::int64_t now);

// Hashes every file of the installed `copy` again. Returns the names of the files that are
// missing or do not match, in the manifest's order, or nothing when `stop` said to stop before
// the next file. With all sound, records the pack as checked at `now`; otherwise removes the
// files that failed (so that the pack is no longer handed to players and the next request
// fetches only those) and the install record.
std::optional<std::vector<std::string>> rehashInstalledPack(const PackStore& store,
                                                            const TrustedCopy& copy,
                                                            const std::string& tag,
                                                            std::int64_t now,
                                                            const std::function<bool()>& stop);
