#include "packs/PackInstaller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "packs/ContentError.h"
#include "packs/EditionRecord.h"
#include "packs/InstalledFiles.h"
#include "packs/InstalledPackCheck.h"
#include "packs/PackManifest.h"
#include "packs/PlayingFiles.h"
#include "packs/Sha256.h"
#include "packs/UpdateRecord.h"
#include "packs/VerifiedFileWriter.h"
#include "platform/foundation/NSError.h"

namespace {

// Removes the staging folder `name` unless the install took it.
class StagingGuard {
public:
    StagingGuard(const DirectoryHandle& folder, std::string name)
        : folder_(folder), name_(std::move(name)) {}
    ~StagingGuard() {
        if (!name_.empty())
            folder_.removeQuietly(name_);
    }
    StagingGuard(const StagingGuard&) = delete;
    StagingGuard& operator=(const StagingGuard&) = delete;
    void release() { name_.clear(); }

private:
    const DirectoryHandle& folder_;
    std::string name_;
};

// Thrown from a response head that carries on from somewhere else than the kept prefix.
struct ResumeRefused {};

}  // namespace

PackInstaller::PackInstaller(const PackStore& store, const Settings& settings,
                             const std::atomic<bool>& cancelled)
    : store_(store),
      settings_(settings),
      cancelled_(cancelled),
      source_(settings.baseUrl, settings.trustedKeys, settings.fetch) {}

bool PackInstaller::install(const std::string& tag, const ByteProgress& onBytes) {
    if (!PackManifest::isSafeName(tag))
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "not a valid pack name");
    store_.prepare();
    auto lock = store_.lock(tag, cancelled_);
    store_.removeLeftovers(tag);
    if (installedPackIsIntact(store_, settings_.trustedKeys, tag, settings_.now())) {
        store_.open("staging").removeQuietly(tag + PackStore::kResumeSuffix);
        return false;
    }
    Fetcher fetcher(settings_.fetch, cancelled_);
    std::optional<SignedManifest> fetched;
    try {
        fetched = source_.fetch(tag, fetcher);
        EditionRecord(store_.cacheDirectory(), settings_.trustedKeys)
            .check(fetched->manifest, fetched->json, source_.manifestUrl(tag));
        ManifestSource::refuseExpired(fetched->manifest, settings_.now(), source_.manifestUrl(tag));
    } catch (const ContentError& failure) {
        // What was kept came from a source now found untrustworthy: none of it is carried on.
        if (failure.code() == LKSOnDemandUntrustedError)
            store_.open("staging").removeQuietly(tag + PackStore::kResumeSuffix);
        throw;
    }
    installEdition(*fetched, fetcher, onBytes);
    return true;
}

std::uint64_t PackInstaller::bytesToFetch(const PackManifest& manifest) const {
    return bytesNotIn(manifest, installedfiles::alike(store_, manifest));
}

std::uint64_t PackInstaller::bytesNotIn(const PackManifest& manifest,
                                        const std::set<std::string>& alike) {
    std::uint64_t bytes = 0;
    for (const auto& file : manifest.files())
        bytes += alike.contains(file.name) ? 0 : file.size;
    return bytes;
}

void PackInstaller::installEdition(const SignedManifest& fetched, Fetcher& fetcher,
                                   const ByteProgress& onBytes) {
    const PackManifest& manifest = fetched.manifest;
    const std::string& tag = manifest.tag();
    const auto alike = installedfiles::alike(store_, manifest);
    if (settings_.spaceProbe) {
        auto needed = bytesNotIn(manifest, alike);
        auto available = settings_.spaceProbe(store_.stagingDirectory());
        if (available && *available < needed) {
            throw ContentError(NSBundleOnDemandResourceOutOfSpaceError,
                               "needs " + std::to_string(needed) + " bytes, only " +
                                   std::to_string(*available) + " are free in " +
                                   store_.stagingDirectory().string());
        }
    }
    // Opened once: the staging folder is written through this handle to the end, whatever is
    // swapped in under its name meanwhile.
    const auto stagingRoot = store_.open("staging");
    const std::string stagingName = tag + PackStore::kResumeSuffix;
    StagingGuard guard(stagingRoot, stagingName);
    // Links an interrupted update left share the installed files' inodes: removing them changes
    // those files' change times, which the installed pack's record is told of.
    const auto installedBefore = installedfiles::stampsOf(store_, tag);
    auto staging = keepOnlyPackFiles(stagingRoot, stagingName, manifest);
    store_.restamp(tag, installedBefore);
    kept_.clear();
    stamps_.clear();
    Progress progress{0, manifest.totalSize(), onBytes};
    PackStore::Stamps taken;
    std::optional<playingfiles::Hold> hold;
    try {
        taken =
            installedfiles::take(store_, manifest, alike, staging, settings_.write, cancelled_,
                                 [&](std::uint64_t bytes) { progress.set(progress.done + bytes); });
        std::set<std::string> names;
        for (const auto& [name, stamp] : taken) {
            names.insert(name);
            stamps_[name] = stamp;
        }
        download(manifest, names, staging, fetcher, progress);
        staging.remove(resumerecord::kFileName);
        writeManifestCopy(fetched, staging);
        store_.writeInstallRecord(staging, stamps_, fetched.key->file, settings_.now());
        // Raised before the pack goes in: a record ahead of the pack costs nothing, a pack ahead
        // of its record would let its older edition back in.
        EditionRecord(store_.cacheDirectory(), settings_.trustedKeys)
            .accept(manifest, fetched.json, fetched.key->id);
        // Never from under a child's chapter: the old pack goes once nothing of it plays.
        if (auto installed = store_.openPack(tag))
            hold.emplace(playingfiles::waitUntilNonePlays(*installed, cancelled_));
    } catch (...) {
        // The installed pack stays exactly as it was, its record told of the links that go.
        for (const auto& [name, stamp] : taken)
            staging.removeQuietly(name);
        store_.restamp(tag, taken);
        try {
            throw;
        } catch (const ContentError& failure) {
            // Only a transfer that the network cut is worth carrying on from.
            if (failure.code() == LKSOnDemandNetworkError && !kept_.empty()) {
                resumerecord::save(staging, kept_);
                guard.release();
            }
            throw;
        }
    }
    store_.install(tag, stagingName, staging);
    hold.reset();
    guard.release();
    // The old pack's removal unlinked what the new one shares with it.
    store_.restamp(tag, stamps_);
    UpdateRecord{settings_.now(),
                 Sha256::hex(fetched.json.data(), fetched.json.size()),
                 {fetched.head.etag, fetched.head.lastModified}}
        .save(store_.cacheDirectory(), tag);
}

void PackInstaller::Progress::set(std::uint64_t bytes) {
    done = bytes;
    if (onBytes)
        onBytes(done, total);
}

void PackInstaller::download(const PackManifest& manifest, const std::set<std::string>& taken,
                             const DirectoryHandle& staging, Fetcher& fetcher, Progress& progress) {
    auto kept = resumerecord::load(staging);
    // A kept file counts only if it was fetched for the very same manifest entry.
    std::vector<const PackFile*> files;
    std::vector<const KeptFile*> resume;
    for (const auto& file : manifest.files()) {
        if (taken.contains(file.name))
            continue;
        auto match = std::find_if(kept.begin(), kept.end(), [&](const KeptFile& entry) {
            return entry.file.name == file.name && entry.file.size == file.size &&
                   entry.file.sha256 == file.sha256;
        });
        files.push_back(&file);
        resume.push_back(match != kept.end() && resumable() ? &*match : nullptr);
    }
    // Each file's hash finishes while the next one streams in, so the transfer never waits
    // for the hashing to catch up at the end of a file.
    std::unique_ptr<Transfer> previous;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& file = *files[i];
        std::uint64_t before = progress.done;
        try {
            auto current =
                transferFile(manifest.tag(), file, staging, fetcher, resume[i], progress);
            if (!current) {
                // The kept part could not be carried on from: the whole file, as if none was.
                progress.set(before);
                current = transferFile(manifest.tag(), file, staging, fetcher, nullptr, progress);
            }
            if (previous)
                verifyOrFetchWhole(manifest.tag(), std::move(previous), staging, fetcher, progress);
            previous = std::move(current);
        } catch (const ContentError&) {
            // A file that came whole before this one is kept if it is sound; what this attempt
            // did not reach is still on disk as the last one kept it.
            if (previous)
                keepIfSound(*previous);
            for (std::size_t later = i + 1; later < resume.size(); ++later) {
                if (resume[later])
                    kept_.push_back(*resume[later]);
            }
            throw;
        }
    }
    if (previous)
        verifyOrFetchWhole(manifest.tag(), std::move(previous), staging, fetcher, progress);
}

// Streams one file into `staging`, carrying on from `kept` when there is one, and returns it
// with its hash perhaps still running. Returns nothing when the server will not carry on from
// the kept part (it sent another file's range), so that the caller fetches the file whole.
std::unique_ptr<PackInstaller::Transfer> PackInstaller::transferFile(
    const std::string& tag, const PackFile& file, const DirectoryHandle& staging, Fetcher& fetcher,
    const KeptFile* kept, Progress& progress) {
    VerifiedFileWriter::Prefix prefix;
    if (kept)
        prefix = {kept->bytes, kept->prefixSha256};
    auto transfer = std::make_unique<Transfer>(
        Transfer{file,
                 kept,
                 std::make_unique<VerifiedFileWriter>(staging, file.name, file, settings_.write,
                                                      kept ? &prefix : nullptr),
                 {}});
    VerifiedFileWriter& writer = *transfer->writer;
    const std::uint64_t base = progress.done;
    progress.set(base + writer.resumedFrom());
    Fetcher::Range range{writer.resumedFrom(), kept ? kept->validator() : std::string()};
    bool resuming = range.from > 0;
    if (resuming && range.from >= file.size)
        return transfer;  // a whole kept file needs no transfer
    auto onHead = [&](const Fetcher::Head& head) {
        if (!resuming ||
            (head.httpStatus == 206 && head.rangeStart == range.from && kept->sameServerFile(head)))
            return;
        if (head.httpStatus == 206)
            throw ResumeRefused();
        writer.restart();  // the server sent the whole file instead
        resuming = false;
        progress.set(base);
    };
    Fetcher::Result result;
    try {
        result = fetcher.fetch(
            source_.fileUrl(tag, file.name),
            [&](const char* data, std::size_t size) {
                writer.append(data, size);
                progress.set(progress.done + size);
            },
            resuming ? &range : nullptr, onHead);
    } catch (const ResumeRefused&) {
        return nullptr;
    }
    transfer->head = fetcher.lastHead();
    if (result.status != Fetcher::Status::ok) {
        auto prefixNow = writer.settle();
        if (prefixNow.bytes > 0)
            kept_.push_back(KeptFile::from(file, prefixNow, transfer->head, kept));
        ManifestSource::throwFetchFailure(result, source_.fileUrl(tag, file.name));
    }
    return transfer;
}

// Waits for the file's hash and keeps the file if it is sound. A file carried on from a kept
// part that fails its check is fetched again whole, as the kept part may have been the fault.
void PackInstaller::verifyOrFetchWhole(const std::string& tag, std::unique_ptr<Transfer> transfer,
                                       const DirectoryHandle& staging, Fetcher& fetcher,
                                       Progress& progress) {
    FileStamp stamp;
    try {
        stamp = transfer->writer->finish();
    } catch (const ContentError& failure) {
        if (transfer->writer->resumedFrom() == 0 ||
            failure.code() != LKSOnDemandChecksumMismatchError)
            throw;
        const PackFile& file = transfer->file;
        transfer.reset();
        progress.set(progress.done - file.size);
        transfer = transferFile(tag, file, staging, fetcher, nullptr, progress);
        stamp = transfer->writer->finish();
    }
    stamps_[transfer->file.name] = stamp;
    kept_.push_back(transfer->whole());
}

// After another file failed: keeps this one if its hash says it is sound, and says nothing
// otherwise, since the failure that is reported is the other one.
void PackInstaller::keepIfSound(Transfer& transfer) {
    try {
        transfer.writer->finish();
        kept_.push_back(transfer.whole());
    } catch (const ContentError&) {
    }
}

// Prefixes are carried on with HTTP range requests; a file:// server is local anyway.
bool PackInstaller::resumable() const {
    std::string scheme = settings_.baseUrl.substr(0, settings_.baseUrl.find(':'));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme == "http" || scheme == "https";
}

// Files a new download may carry on from stay; whatever else an earlier attempt left goes, and
// so does anything that is not a file of its own (a link goes itself, never what it points to).
DirectoryHandle PackInstaller::keepOnlyPackFiles(const DirectoryHandle& stagingRoot,
                                                 const std::string& name,
                                                 const PackManifest& manifest) {
    auto staging = stagingRoot.make(name);
    for (const auto& entry : staging.names()) {
        bool wanted = entry == resumerecord::kFileName ||
                      std::any_of(manifest.files().begin(), manifest.files().end(),
                                  [&](const PackFile& file) { return file.name == entry; });
        struct stat info {};
        // A file sharing its inode (an earlier update's link to an installed file) is never
        // carried on from: writing to it would write into the installed pack.
        if (!wanted || !staging.status(entry, info) || !S_ISREG(info.st_mode) || info.st_nlink > 1)
            staging.remove(entry);
    }
    return staging;
}

// The manifest and its signature as they were served, so the signature can be checked again.
void PackInstaller::writeManifestCopy(const SignedManifest& fetched,
                                      const DirectoryHandle& staging) {
    for (const auto& [name, text] :
         {std::pair{PackManifest::kInstalledFileName, &fetched.json},
          std::pair{PackManifest::kInstalledSignatureName, &fetched.signature}}) {
        auto path = staging / name;
        UniqueFd fd = staging.openFile(name, O_WRONLY | O_CREAT | O_EXCL);
        if (!fd)
            fileio::throwStorageError(errno, "create", path);
        fileio::writeAll(settings_.write, fd.get(), text->data(), text->size(), path);
        struct stat written {};
        if (::fstat(fd.get(), &written) != 0)
            fileio::throwStorageError(errno, "check", path);
        stamps_[name] = FileStamp::of(written);
    }
}
