#include "platform/ondemand/PackInstaller.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/foundation/NSError.h"
#include "platform/ondemand/ContentError.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/VerifiedFileWriter.h"

namespace {

[[noreturn]] void throwFetchFailure(const Fetcher::Result& result, const std::string& what) {
    switch (result.status) {
        case Fetcher::Status::httpError:
        case Fetcher::Status::notFound:
            // A file:// server has no status: its only error of this kind is a missing file.
            throw ContentError(
                LKSOnDemandHTTPError,
                what + ": " +
                    (result.httpStatus != 0 ? "HTTP status " + std::to_string(result.httpStatus)
                                            : std::string("not found")) +
                    " (" + result.message + ")");
        case Fetcher::Status::cancelled:
            throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
        default:
            throw ContentError(LKSOnDemandNetworkError, what + ": " + result.message);
    }
}

// Removes the staging folder unless the install took it.
class StagingGuard {
public:
    explicit StagingGuard(std::filesystem::path path) : path_(std::move(path)) {}
    ~StagingGuard() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    StagingGuard(const StagingGuard&) = delete;
    StagingGuard& operator=(const StagingGuard&) = delete;
    void release() { path_.clear(); }

private:
    std::filesystem::path path_;
};

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
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "invalid tag \"" + tag + "\"");
    store_.prepare();
    auto lock = store_.lock(tag, cancelled_);
    store_.removeLeftovers(tag);
    if (store_.isInstalledIntact(tag))
        return false;

    Fetcher fetcher(settings_.timeouts, cancelled_);
    PackManifest manifest = fetchManifest(tag, fetcher);
    if (settings_.spaceProbe) {
        auto available = settings_.spaceProbe(store_.stagingDirectory());
        if (available && *available < manifest.totalSize()) {
            throw ContentError(NSBundleOnDemandResourceOutOfSpaceError,
                               "pack \"" + tag + "\" needs " +
                                   std::to_string(manifest.totalSize()) + " bytes, " +
                                   std::to_string(*available) + " available");
        }
    }

    auto staging = store_.createStaging(tag);
    StagingGuard guard(staging);
    download(manifest, staging, fetcher, onBytes);
    writeManifestCopy(manifest, staging);
    store_.writeInstallRecord(staging);
    store_.install(tag, staging);
    guard.release();
    return true;
}

PackManifest PackInstaller::fetchManifest(const std::string& tag, Fetcher& fetcher) {
    std::string text;
    auto result = fetcher.fetch(manifestUrl(tag), [&](const char* data, std::size_t size) {
        if (text.size() + size > PackManifest::kMaxJsonSize)
            throw ContentError(LKSOnDemandBadManifestError,
                               "manifest of \"" + tag + "\" is too large");
        text.append(data, size);
    });
    if (result.status == Fetcher::Status::notFound)
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "no pack \"" + tag + "\"");
    if (result.status != Fetcher::Status::ok)
        throwFetchFailure(result, "manifest of \"" + tag + "\"");
    PackManifest manifest = PackManifest::parse(text);
    if (manifest.tag() != tag)
        throw ContentError(LKSOnDemandBadManifestError,
                           "manifest of \"" + tag + "\" names tag \"" + manifest.tag() + "\"");
    return manifest;
}

void PackInstaller::download(const PackManifest& manifest, const std::filesystem::path& staging,
                             Fetcher& fetcher, const ByteProgress& onBytes) {
    const std::uint64_t total = manifest.totalSize();
    std::uint64_t done = 0;
    for (const auto& file : manifest.files()) {
        VerifiedFileWriter writer(staging / file.name, file, settings_.write);
        auto result = fetcher.fetch(fileUrl(manifest.tag(), file.name),
                                    [&](const char* data, std::size_t size) {
                                        writer.append(data, size);
                                        done += size;
                                        if (onBytes)
                                            onBytes(done, total);
                                    });
        if (result.status != Fetcher::Status::ok)
            throwFetchFailure(result, "\"" + file.name + "\" of \"" + manifest.tag() + "\"");
        writer.finish();
    }
}

void PackInstaller::writeManifestCopy(const PackManifest& manifest,
                                      const std::filesystem::path& staging) {
    auto path = staging / PackManifest::kInstalledFileName;
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd)
        fileio::throwStorageError(errno, "create", path);
    std::string json = manifest.toJson();
    fileio::writeAll(settings_.write, fd.get(), json.data(), json.size(), path);
}
