#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "packs/Fetcher.h"
#include "packs/FileIo.h"
#include "packs/ManifestSource.h"
#include "packs/PackManifest.h"
#include "packs/PackSignature.h"
#include "packs/PackStore.h"
#include "packs/ResumeRecord.h"
#include "packs/VerifiedFileWriter.h"

// Makes one pack installed: fetches its manifest and checks its signature before anything else
// of it is read, checks free space, streams every file into a staging folder while verifying
// it, then installs the folder. A file the installed pack already has alike (name, size and
// SHA-256) is taken from it, a hard link where the disk allows and a copy elsewhere, and hashed
// against the new manifest like a fetched one, so an update or a repair fetches only what
// changed. A manifest no trusted publisher signed, of an edition older than the one installed
// before (EditionRecord.h), or expired, is refused before any file is fetched, and what a cut
// transfer of the tag kept goes too. On failure throws ContentError and leaves the installed
// pack unchanged. A transfer cut by the network (or a cancelled request) keeps its verified
// files and prefixes in staging, and the next install asks only for the rest with HTTP range
// requests; any other failure leaves nothing behind. The new pack never replaces the old one
// while a player has a file of it open (PlayingFiles.h).
class PackInstaller {
public:
    struct Settings {
        std::string baseUrl;  // without trailing '/'
        FetchSettings fetch;
        SpaceProbe spaceProbe;
        WriteFunction write;
        TrustedKeys trustedKeys;
        // Seconds since 1970: when records say their checks were made, and what has expired.
        std::function<std::int64_t()> now;
    };
    // Bytes received or checked so far and the pack's total, as files stream in.
    using ByteProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    PackInstaller(const PackStore& store, const Settings& settings,
                  const std::atomic<bool>& cancelled);

    // Returns true if the pack was fetched, false if an intact copy was already installed.
    bool install(const std::string& tag, const ByteProgress& onBytes);

    // Installs the edition `fetched` in place of whatever of its tag is installed; the caller
    // holds the tag's lock and has checked that the edition may replace it. Records the
    // validators of its manifest for the next check of updates.
    void installEdition(const SignedManifest& fetched, Fetcher& fetcher,
                        const ByteProgress& onBytes);
    // The bytes installing `manifest` would fetch: those of its files the installed pack has not
    // alike.
    std::uint64_t bytesToFetch(const PackManifest& manifest) const;

    const ManifestSource& source() const { return source_; }

private:
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
        const ByteProgress& onBytes;
        void set(std::uint64_t bytes);
    };
    static std::uint64_t bytesNotIn(const PackManifest& manifest,
                                    const std::set<std::string>& alike);
    void download(const PackManifest& manifest, const std::set<std::string>& taken,
                  const DirectoryHandle& staging, Fetcher& fetcher, Progress& progress);
    // A file whose transfer has ended: its writer, and the response it came in.
    struct Transfer {
        const PackFile& file;
        const KeptFile* kept;  // what it carried on from, if anything
        std::unique_ptr<VerifiedFileWriter> writer;
        Fetcher::Head head;
        // What the resume record keeps of it once it is whole and sound.
        KeptFile whole() const {
            return KeptFile::from(file, {file.size, file.sha256}, head, kept);
        }
    };
    std::unique_ptr<Transfer> transferFile(const std::string& tag, const PackFile& file,
                                           const DirectoryHandle& staging, Fetcher& fetcher,
                                           const KeptFile* kept, Progress& progress);
    void verifyOrFetchWhole(const std::string& tag, std::unique_ptr<Transfer> transfer,
                            const DirectoryHandle& staging, Fetcher& fetcher, Progress& progress);
    void keepIfSound(Transfer& transfer);
    bool resumable() const;
    static DirectoryHandle keepOnlyPackFiles(const DirectoryHandle& stagingRoot,
                                             const std::string& name, const PackManifest& manifest);
    void writeManifestCopy(const SignedManifest& fetched, const DirectoryHandle& staging);

    const PackStore& store_;
    const Settings& settings_;
    const std::atomic<bool>& cancelled_;
    ManifestSource source_;
    std::vector<KeptFile> kept_;  // what this install has fetched or written so far
    PackStore::Stamps stamps_;    // of the files verified so far, as they were hashed
};
