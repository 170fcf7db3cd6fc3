#include "packs/PackInstaller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>
#include <utility>

#include "packs/ContentError.h"
#include "packs/EditionRecord.h"
#include "packs/InstalledPackCheck.h"
#include "packs/PackManifest.h"
#include "packs/VerifiedFileWriter.h"
#include "platform/foundation/NSError.h"

namespace {

// The URL first, then the cause: a parent can check the address and see what went wrong.
[[noreturn]] void throwFetchFailure(const Fetcher::Result& result, const std::string& url) {
    switch (result.status) {
        case Fetcher::Status::httpError:
        case Fetcher::Status::notFound:
            throw ContentError(LKSOnDemandHTTPError, url + ": " + result.message);
        case Fetcher::Status::cancelled:
            throw ContentError(LKSOnDemandNetworkError, result.message);
        default:
            throw ContentError(LKSOnDemandNetworkError, url + ": " + result.message);
    }
}

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

PackInstaller::PackInstaller(const PackStore& store, Settings settings,
                             const std::atomic<bool>& cancelled)
    : store_(store), settings_(std::move(settings)), cancelled_(cancelled) {}

std::string PackInstaller::manifestUrl(const std::string& tag) const {
    return settings_.baseUrl + "/" + Fetcher::percentEncode(tag) + "/" + PackManifest::kFileName;
}

std::string PackInstaller::fileUrl(const std::string& tag, const std::string& name) const {
    return settings_.baseUrl + "/" + Fetcher::percentEncode(tag) + "/" +
           Fetcher::percentEncode(name);
}

bool PackInstaller::install(const std::string& tag, const ByteProgress& onBytes) {
    if (!PackManifest::isSafeName(tag))
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "not a valid pack name");
    store_.prepare();
    auto lock = store_.lock(tag, cancelled_);
    store_.removeLeftovers(tag);
    // Opened once: the staging folder is written through this handle to the end, whatever is
    // swapped in under its name meanwhile.
    const auto stagingRoot = store_.open("staging");
    const std::string stagingName = tag + PackStore::kResumeSuffix;
    if (installedPackIsIntact(store_, settings_.trustedKeys, tag)) {
        stagingRoot.removeQuietly(stagingName);
        return false;
    }

    Fetcher fetcher(settings_.timeouts, cancelled_);
    EditionRecord editions(store_.cacheDirectory());
    std::optional<SignedManifest> fetched;
    try {
        fetched = fetchManifest(tag, fetcher);
        editions.check(fetched->manifest, fetched->json, manifestUrl(tag));
    } catch (const ContentError& failure) {
        // What was kept came from a source now found untrustworthy: none of it is carried on.
        if (failure.code() == LKSOnDemandUntrustedError)
            stagingRoot.removeQuietly(stagingName);
        throw;
    }
    const PackManifest& manifest = fetched->manifest;
    if (settings_.spaceProbe) {
        auto available = settings_.spaceProbe(store_.stagingDirectory());
        if (available && *available < manifest.totalSize()) {
            throw ContentError(NSBundleOnDemandResourceOutOfSpaceError,
                               "needs " + std::to_string(manifest.totalSize()) + " bytes, only " +
                                   std::to_string(*available) + " are free in " +
                                   store_.stagingDirectory().string());
        }
    }

    StagingGuard guard(stagingRoot, stagingName);
    auto staging = keepOnlyPackFiles(stagingRoot, stagingName, manifest);
    kept_.clear();
    stamps_.clear();
    try {
        download(manifest, staging, fetcher, onBytes);
    } catch (const ContentError& failure) {
        // Only a transfer that the network cut is worth carrying on from.
        if (failure.code() == LKSOnDemandNetworkError && !kept_.empty()) {
            resumerecord::save(staging, kept_);
            guard.release();
        }
        throw;
    }
    staging.remove(resumerecord::kFileName);
    writeManifestCopy(*fetched, staging);
    store_.writeInstallRecord(staging, stamps_, fetched->keyFile);
    // Raised before the pack goes in: a record ahead of the pack costs nothing, a pack ahead of
    // its record would let its older edition back in.
    editions.accept(manifest, fetched->json);
    store_.install(tag, stagingName, staging);
    guard.release();
    return true;
}

// The body at `url`, whole within the manifest's deadline and at most `limit` bytes. Returns the
// result when the server has it or says it has not; any other failure throws.
Fetcher::Result PackInstaller::fetchSmall(const std::string& url, std::size_t limit,
                                          const std::string& what, long tooLargeCode,
                                          Fetcher& fetcher, std::string& text) {
    auto result = fetcher.fetch(
        url,
        [&](const char* data, std::size_t size) {
            if (text.size() + size > limit)
                throw ContentError(tooLargeCode, url + ": " + what + " is larger than " +
                                                     std::to_string(limit) + " bytes");
            text.append(data, size);
        },
        nullptr, {}, settings_.timeouts.manifestDeadline);
    if (result.status != Fetcher::Status::ok && result.status != Fetcher::Status::notFound)
        throwFetchFailure(result, url);
    return result;
}

PackInstaller::SignedManifest PackInstaller::fetchManifest(const std::string& tag,
                                                           Fetcher& fetcher) {
    std::string url = manifestUrl(tag), json, signature;
    auto result = fetchSmall(url, PackManifest::kMaxJsonSize, "the manifest",
                             LKSOnDemandBadManifestError, fetcher, json);
    // The code callers know for a tag the server does not have; the text says how it was told.
    if (result.status == Fetcher::Status::notFound)
        throw ContentError(NSBundleOnDemandResourceInvalidTagError,
                           url + ": " + result.message + " (no such pack on the server)");
    result = fetchSmall(fileUrl(tag, PackManifest::kSignatureFileName), packsignature::kMaxFileSize,
                        "the signature", LKSOnDemandUntrustedError, fetcher, signature);
    if (result.status == Fetcher::Status::notFound)
        throw ContentError(LKSOnDemandUntrustedError,
                           url + ": not signed by a trusted publisher (no " +
                               PackManifest::kSignatureFileName + " beside it)");
    const std::string& keyFile = settings_.trustedKeys.verify(tag, json, signature, url);
    try {
        PackManifest manifest = PackManifest::parse(json);
        if (manifest.tag() != tag)
            throw ContentError(LKSOnDemandBadManifestError,
                               "the manifest is of pack \"" + manifest.tag() + "\"");
        return {std::move(json), std::move(signature), std::move(manifest), keyFile};
    } catch (const ContentError& failure) {
        throw ContentError(failure.code(), url + ": " + failure.what());
    }
}

void PackInstaller::Progress::set(std::uint64_t bytes) {
    done = bytes;
    if (onBytes)
        onBytes(done, total);
}

void PackInstaller::download(const PackManifest& manifest, const DirectoryHandle& staging,
                             Fetcher& fetcher, const ByteProgress& onBytes) {
    auto kept = resumerecord::load(staging);
    // A kept file counts only if it was fetched for the very same manifest entry.
    std::vector<const KeptFile*> resume;
    for (const auto& file : manifest.files()) {
        auto match = std::find_if(kept.begin(), kept.end(), [&](const KeptFile& entry) {
            return entry.file.name == file.name && entry.file.size == file.size &&
                   entry.file.sha256 == file.sha256;
        });
        resume.push_back(match != kept.end() && resumable() ? &*match : nullptr);
    }
    Progress progress{0, manifest.totalSize(), onBytes};
    // Each file's hash finishes while the next one streams in, so the transfer never waits
    // for the hashing to catch up at the end of a file.
    std::unique_ptr<Transfer> previous;
    for (std::size_t i = 0; i < resume.size(); ++i) {
        const auto& file = manifest.files()[i];
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
            fileUrl(tag, file.name),
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
        throwFetchFailure(result, fileUrl(tag, file.name));
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
// so does anything that is not a regular file (a link goes itself, never what it points to).
DirectoryHandle PackInstaller::keepOnlyPackFiles(const DirectoryHandle& stagingRoot,
                                                 const std::string& name,
                                                 const PackManifest& manifest) {
    auto staging = stagingRoot.make(name);
    for (const auto& entry : staging.names()) {
        bool wanted = entry == resumerecord::kFileName ||
                      std::any_of(manifest.files().begin(), manifest.files().end(),
                                  [&](const PackFile& file) { return file.name == entry; });
        struct stat info {};
        if (!wanted || !staging.status(entry, info) || !S_ISREG(info.st_mode))
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
