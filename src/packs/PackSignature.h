#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "packs/PackShelf.h"

struct evp_pkey_st;

// Ed25519 signatures of pack manifests. A signature lives in its own file beside the manifest
// (PackManifest::kSignatureFileName), three lines of text:
//   larkspire-pack-signature <format>
//   key <SHA-256 of the raw public key, hex>
//   ed25519 <signature, hex>
// It covers the manifest's exact bytes, after a prefix naming the pack format and the tag the
// pack is served as, so a signature never vouches for the same bytes under another tag or
// under another format's rules.
namespace packsignature {

// A signature file is about two hundred bytes; a larger one is no signature.
inline constexpr std::size_t kMaxFileSize = 1024;

// The bytes a signature covers.
std::string signedMessage(const std::string& tag, std::string_view manifest);

// The three lines of a signature file: the format as written, the key id in hex, and the
// signature's 64 raw bytes.
struct SignatureFile {
    std::string format, keyId, signature;
};
// What `text` says, or nothing when it is not a signature file. Each file has one spelling:
// text(*parse(t)) == t.
std::optional<SignatureFile> parse(std::string_view text);
std::string text(const SignatureFile& file);
// Short form of a key id, for messages.
std::string shortId(const std::string& keyId);

}  // namespace packsignature

// A publisher's private key, in a PEM file. Failures throw std::runtime_error with a message
// meant for the publisher.
class PublisherKey {
public:
    // Makes a new key pair: the private key in `privateFile` (readable by its owner only,
    // never over an existing file) and the public key in `publicFile`.
    static void generate(const std::filesystem::path& privateFile,
                         const std::filesystem::path& publicFile);
    explicit PublisherKey(const std::filesystem::path& privateFile);
    ~PublisherKey();
    PublisherKey(const PublisherKey&) = delete;
    PublisherKey& operator=(const PublisherKey&) = delete;

    // The text of the signature file of `manifest`, served as pack `tag`.
    std::string sign(const std::string& tag, std::string_view manifest) const;
    const std::string& keyId() const { return keyId_; }

private:
    evp_pkey_st* key_ = nullptr;
    std::string keyId_;
};

// The publisher keys the application trusts: every "*.pub" PEM public key of its keys folder.
class TrustedKeys {
public:
    static constexpr const char* kKeySuffix = PackShelf::kKeySuffix;

    TrustedKeys() = default;
    // Files that are no Ed25519 public key are skipped: one stray file must not stop the rest.
    static TrustedKeys load(const std::filesystem::path& folder);
    // Adds a PEM public key; returns its id. Throws std::runtime_error when it is none.
    std::string add(std::string_view pem);
    std::size_t size() const { return keys_.size(); }

    struct Key {
        std::string id;    // SHA-256 of the raw key, hex: what signatures and edition records name
        std::string raw;   // the Ed25519 public key
        std::string file;  // the PEM file it was read from, as it was
    };
    // Throws ContentError (LKSOnDemandUntrustedError) naming the cause, `where` first, unless
    // `signature` is a signature file of `manifest`, served as `tag`, by a trusted key. Returns
    // that key; the install record names its file's bytes (PackShelf::installedPacks).
    const Key& verify(const std::string& tag, std::string_view manifest, std::string_view signature,
                      const std::string& where) const;
    bool trusts(const std::string& keyId) const { return keys_.contains(keyId); }

private:
    std::filesystem::path folder_;
    std::map<std::string, Key> keys_;  // by key id
};
