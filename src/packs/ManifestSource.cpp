#include "packs/ManifestSource.h"

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

std::string ManifestSource::manifestUrl(const std::string& tag) const {
    return baseUrl_ + "/" + Fetcher::percentEncode(tag) + "/" + PackManifest::kFileName;
}

std::string ManifestSource::fileUrl(const std::string& tag, const std::string& name) const {
    return baseUrl_ + "/" + Fetcher::percentEncode(tag) + "/" + Fetcher::percentEncode(name);
}

// The URL first, then the cause: a parent can check the address and see what went wrong.
void ManifestSource::throwFetchFailure(const Fetcher::Result& result, const std::string& url) {
    switch (result.status) {
        case Fetcher::Status::httpError:
        case Fetcher::Status::notFound:
            throw ContentError(LKSOnDemandHTTPError, url + ": " + result.message, result.cause);
        case Fetcher::Status::cancelled:
            throw ContentError(LKSOnDemandNetworkError, result.message);
        default:
            throw ContentError(LKSOnDemandNetworkError, url + ": " + result.message, result.cause);
    }
}

void ManifestSource::refuseExpired(const PackManifest& manifest, std::int64_t now,
                                   const std::string& where) {
    if (manifest.expires() && now >= *manifest.expires())
        throw ContentError(LKSOnDemandUntrustedError,
                           where + ": edition " + std::to_string(manifest.edition()) +
                               " expired on " + PackManifest::timeText(*manifest.expires()) +
                               " and is offered no more");
}

// The body at `url`, whole within the manifest's deadline and at most `limit` bytes. Returns the
// result when the server has it, says it has not, or says the caller's copy is current; any
// other failure throws.
Fetcher::Result ManifestSource::fetchSmall(const std::string& url, std::size_t limit,
                                           const std::string& what, long tooLargeCode,
                                           Fetcher& fetcher, std::string& text,
                                           const Fetcher::Conditions* conditions) const {
    auto result = fetcher.fetch(
        url,
        [&](const char* data, std::size_t size) {
            if (text.size() + size > limit)
                throw ContentError(tooLargeCode, url + ": " + what + " is larger than " +
                                                     std::to_string(limit) + " bytes");
            text.append(data, size);
        },
        nullptr, {}, fetch_.manifestDeadline, conditions);
    if (result.status != Fetcher::Status::ok && result.status != Fetcher::Status::notFound &&
        result.status != Fetcher::Status::notModified)
        throwFetchFailure(result, url);
    return result;
}

std::optional<SignedManifest> ManifestSource::fetch(const std::string& tag, Fetcher& fetcher,
                                                    const Fetcher::Conditions* conditions) const {
    std::string url = manifestUrl(tag), json, signature;
    auto result = fetchSmall(url, PackManifest::kMaxJsonSize, "the manifest",
                             LKSOnDemandBadManifestError, fetcher, json, conditions);
    if (result.status == Fetcher::Status::notModified)
        return std::nullopt;
    // The code callers know for a tag the server does not have; the text says how it was told.
    if (result.status == Fetcher::Status::notFound)
        throw ContentError(NSBundleOnDemandResourceInvalidTagError,
                           url + ": " + result.message + " (no such pack on the server)");
    Fetcher::Head head = fetcher.lastHead();
    result = fetchSmall(fileUrl(tag, PackManifest::kSignatureFileName), packsignature::kMaxFileSize,
                        "the signature", LKSOnDemandUntrustedError, fetcher, signature);
    if (result.status != Fetcher::Status::ok)
        throw ContentError(LKSOnDemandUntrustedError,
                           url + ": not signed by a trusted publisher (no " +
                               PackManifest::kSignatureFileName + " beside it)");
    const auto& key = keys_.verify(tag, json, signature, url);
    try {
        PackManifest manifest = PackManifest::parse(json);
        if (manifest.tag() != tag)
            throw ContentError(LKSOnDemandBadManifestError,
                               "the manifest is of pack \"" + manifest.tag() + "\"");
        return SignedManifest{std::move(json), std::move(signature), std::move(manifest), &key,
                              std::move(head)};
    } catch (const ContentError& failure) {
        throw ContentError(failure.code(), url + ": " + failure.what());
    }
}
