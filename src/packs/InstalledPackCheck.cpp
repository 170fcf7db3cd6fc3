#include "packs/InstalledPackCheck.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "packs/ContentError.h"
#include "packs/PackManifest.h"
#include "packs/PackSignature.h"
#include "packs/Sha256.h"

namespace {

// The file's hash, and its stamp, unchanged while it was hashed.
std::optional<std::string> hashOf(const DirectoryHandle& folder, const std::string& name,
                                  FileStamp& stamp) {
    UniqueFd fd = folder.openFile(name, O_RDONLY);
    struct stat before {};
    struct stat after {};
    if (!fd || ::fstat(fd.get(), &before) != 0)
        return std::nullopt;
    auto hash = Sha256::ofFile(fd.get());
    if (::fstat(fd.get(), &after) != 0 || FileStamp::of(after) != FileStamp::of(before))
        return std::nullopt;
    stamp = FileStamp::of(after);
    return hash;
}

// Whether every file matches its hash; `stamps` gets each one's as it was hashed.
bool hashesMatch(const DirectoryHandle& folder, const PackManifest& manifest,
                 PackStore::Stamps& stamps) {
    return std::all_of(manifest.files().begin(), manifest.files().end(), [&](const PackFile& file) {
        return hashOf(folder, file.name, stamps[file.name]) == file.sha256;
    });
}

}  // namespace

bool installedPackIsIntact(const PackStore& store, const TrustedKeys& keys,
                           const std::string& tag) {
    // A copy changed in the cache, or signed by a key no longer trusted, is fetched anew.
    auto folder = store.openPack(tag);
    if (!folder)
        return false;
    const std::string* keyFile = nullptr;
    auto trusted = [&](std::string_view json) {
        auto signature =
            folder->readFile(PackManifest::kInstalledSignatureName, packsignature::kMaxFileSize);
        try {
            keyFile = &keys.verify(tag, json, signature.value_or(""), tag);
            return true;
        } catch (const ContentError&) {
            return false;
        }
    };
    auto pack = store.installed(tag, trusted);
    if (!pack || !keyFile)
        return false;
    if (store.isRecordedSound(tag, pack->stamps, *keyFile))
        return true;
    // The manifest copy and signature as just checked, the files as they are hashed.
    auto stamps = pack->stamps;
    if (!hashesMatch(*folder, pack->manifest, stamps))
        return false;
    try {
        store.recordVerified(tag, stamps, *keyFile);
    } catch (const ContentError&) {
        // Sound all the same: it is checked again next time.
    }
    return true;
}
