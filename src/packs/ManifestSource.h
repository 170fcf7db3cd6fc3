#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "packs/Fetcher.h"
#include "packs/PackManifest.h"
#include "packs/PackSignature.h"

// A manifest as a content source served it, once its signature is checked, and what it says.
struct SignedManifest {
    std::string json;
    std::string signature;
    PackManifest manifest;
    const TrustedKeys::Key* key = nullptr;  // the trusted key that signed it
    Fetcher::Head head;                     // of the manifest's response: its validators
};

// Where a content source serves its packs, "<baseUrl>/<Tag>/manifest.json", its signature and
// the files beside it, and the fetching of a manifest: the signature is checked before anything
// the manifest says is read. Failures throw ContentError, the URL first.
class ManifestSource {
public:
    ManifestSource(std::string baseUrl, const TrustedKeys& keys, FetchSettings fetch)
        : baseUrl_(std::move(baseUrl)), keys_(keys), fetch_(std::move(fetch)) {}

    std::string manifestUrl(const std::string& tag) const;
    std::string fileUrl(const std::string& tag, const std::string& name) const;
    const TrustedKeys& keys() const { return keys_; }

    // The manifest of `tag`, whole within the manifest deadline. With `conditions` (of the copy
    // the caller holds), nothing when the server says its copy is that one.
    std::optional<SignedManifest> fetch(const std::string& tag, Fetcher& fetcher,
                                        const Fetcher::Conditions* conditions = nullptr) const;

    // Throws ContentError (untrusted) when `manifest` has expired at `now` (seconds since
    // 1970): it is offered no more, whatever it was before.
    static void refuseExpired(const PackManifest& manifest, std::int64_t now,
                              const std::string& where);
    // Throws the ContentError that a failed fetch of `url` amounts to.
    [[noreturn]] static void throwFetchFailure(const Fetcher::Result& result,
                                               const std::string& url);

private:
    Fetcher::Result fetchSmall(const std::string& url, std::size_t limit, const std::string& what,
                               long tooLargeCode, Fetcher& fetcher, std::string& text,
                               const Fetcher::Conditions* conditions = nullptr) const;

    std::string baseUrl_;  // without trailing '/'
    const TrustedKeys& keys_;
    FetchSettings fetch_;
};
