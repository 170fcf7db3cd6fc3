#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ondemand/Fetcher.h"
#include "platform/ondemand/FileIo.h"
#include "platform/ondemand/PackStore.h"
#include "platform/ondemand/ResumeRecord.h"

class PackManifest;

// Makes one pack installed: fetches its manifest, checks free space, streams every file into
// a staging folder while verifying it, then installs the folder. On failure throws
// ContentError and leaves the installed pack unchanged. A transfer cut by the network (or a
// cancelled request) keeps its verified files and prefixes in staging, and the next install
// asks only for the rest with HTTP range requests; any other failure leaves nothing behind.
class PackInstaller {
public:
    struct Settings {
        std::string baseUrl;  // without trailing '/'
        FetchTimeouts timeouts;
        SpaceProbe spaceProbe;
        WriteFunction write;
    };
    // Bytes received so far and the pack's total, as files stream in.
    using ByteProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    PackInstaller(const PackStore& store, Settings settings, const std::atomic<bool>& cancelled);

    // Returns true if the pack was fetched, false if an intact copy was already installed.
    bool install(const std::string& tag, const ByteProgress& onBytes);

    std::string manifestUrl(const std::string& tag) const;
    std::string fileUrl(const std::string& tag, const std::string& name) const;

private:
    // True when <Tag> is installed whole. A pack whose install record does not vouch for its
    // bytes (PackStore::isRecordedSound) has its hashes checked once first, without network.
    bool installedIntact(const std::string& tag) const;
    PackManifest fetchManifest(const std::string& tag, Fetcher& fetcher);
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
        const ByteProgress& onBytes;
        void set(std::uint64_t bytes);
    };
    void download(const PackManifest& manifest, const std::filesystem::path& staging,
                  Fetcher& fetcher, const ByteProgress& onBytes);
    bool fetchFile(const std::string& tag, const PackFile& file,
                   const std::filesystem::path& staging, Fetcher& fetcher, const KeptFile* kept,
                   Progress& progress);
    bool resumable() const;
    static void keepOnlyPackFiles(const std::filesystem::path& staging,
                                  const PackManifest& manifest);
    void writeManifestCopy(const PackManifest& manifest, const std::filesystem::path& staging);

    const PackStore& store_;
    Settings settings_;
    const std::atomic<bool>& cancelled_;
    std::vector<KeptFile> kept_;  // what this install has verified or written so far
};
