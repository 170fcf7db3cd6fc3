#include "packs/PackSignature.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "packs/ContentError.h"
#include "packs/FileIo.h"
#include "packs/PackManifest.h"
#include "packs/PackShelf.h"
#include "packs/Sha256.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NSError.h"

namespace {

constexpr std::size_t kPublicKeySize = 32;
constexpr std::size_t kSignatureSize = 64;
constexpr const char* kHeader = "larkspire-pack-signature ";

struct PkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Bio = std::unique_ptr<BIO, BioFree>;
struct MdFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using MdContext = std::unique_ptr<EVP_MD_CTX, MdFree>;

std::string toHex(const unsigned char* data, std::size_t size) {
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 0xf];
    }
    return hex;
}

// Lower-case hex only, so that one signature has one spelling.
std::optional<std::string> fromHex(std::string_view hex) {
    auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c - 'a' + 10; };
    if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789abcdef") != std::string::npos)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
    return bytes;
}

std::string rawPublicKey(EVP_PKEY* key) {
    unsigned char raw[kPublicKeySize];
    std::size_t size = sizeof raw;
    if (EVP_PKEY_get_raw_public_key(key, raw, &size) != 1 || size != kPublicKeySize)
        throw std::runtime_error("not an Ed25519 key");
    return std::string(reinterpret_cast<char*>(raw), size);
}

std::string keyIdOf(const std::string& raw) {
    return Sha256::hex(raw.data(), raw.size());
}

Pkey checkedEd25519(EVP_PKEY* key, const std::string& what) {
    Pkey owned(key);
    if (!owned || EVP_PKEY_get_id(owned.get()) != EVP_PKEY_ED25519)
        throw std::runtime_error(what + " is not an Ed25519 key in PEM form");
    return owned;
}

std::string pemOf(EVP_PKEY* key, bool privateHalf) {
    Bio bio(BIO_new(BIO_s_mem()));
    int written = privateHalf ? PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0,
                                                         nullptr, nullptr)
                              : PEM_write_bio_PUBKEY(bio.get(), key);
    char* data = nullptr;
    long size = BIO_get_mem_data(bio.get(), &data);
    if (written != 1 || size <= 0)
        throw std::runtime_error("cannot encode the new key");
    return std::string(data, static_cast<std::size_t>(size));
}

void writeNewFile(const std::filesystem::path& path, const std::string& text, mode_t mode) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    bool written =
        fd && ::write(fd.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!written || ::fsync(fd.get()) != 0)
        throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

// A refused signature leaves nothing in OpenSSL's error queue: libcurl reads the same thread's
// queue after its TLS calls.
[[noreturn]] void refuse(const std::string& where, const std::string& why) {
    ERR_clear_error();
    throw ContentError(LKSOnDemandUntrustedError, where + ": " + why);
}

}  // namespace

std::string packsignature::signedMessage(const std::string& tag, std::string_view manifest) {
    return "larkspire pack format " + std::to_string(PackManifest::kFormat) + ", tag " + tag +
           "\n" + std::string(manifest);
}

std::optional<packsignature::SignatureFile> packsignature::parse(std::string_view text) {
    if (text.size() > kMaxFileSize)
        return std::nullopt;
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        auto end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    auto after = [](std::string_view line, std::string_view label) -> std::optional<std::string> {
        if (!line.starts_with(label))
            return std::nullopt;
        return std::string(line.substr(label.size()));
    };
    if (lines.size() != 3)
        return std::nullopt;
    auto format = after(lines[0], kHeader);
    auto key = after(lines[1], "key ");
    auto signature = after(lines[2], "ed25519 ");
    if (!format || !key || !signature || key->size() != 2 * kPublicKeySize || !fromHex(*key))
        return std::nullopt;
    auto bytes = fromHex(*signature);
    if (!bytes || bytes->size() != kSignatureSize)
        return std::nullopt;
    return SignatureFile{*format, *key, *bytes};
}

std::string packsignature::text(const SignatureFile& file) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.signature.data());
    return kHeader + file.format + "\nkey " + file.keyId + "\ned25519 " +
           toHex(bytes, file.signature.size()) + "\n";
}

std::string packsignature::shortId(const std::string& keyId) {
    return keyId.substr(0, 16);
}

void PublisherKey::generate(const std::filesystem::path& privateFile,
                            const std::filesystem::path& publicFile) {
    for (const auto& path : {privateFile, publicFile}) {
        std::error_code error;
        if (std::filesystem::symlink_status(path, error).type() !=
            std::filesystem::file_type::not_found)
            throw std::runtime_error(path.string() + " already exists: a key is never replaced");
    }
    Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
    if (!key)
        throw std::runtime_error("cannot make an Ed25519 key");
    writeNewFile(privateFile, pemOf(key.get(), true), 0600);
    writeNewFile(publicFile, pemOf(key.get(), false), 0644);
}

PublisherKey::PublisherKey(const std::filesystem::path& privateFile) {
    auto text = AtomicFile::read(privateFile);
    if (!text)
        throw std::runtime_error("cannot read " + privateFile.string() + ": " +
                                 std::strerror(errno));
    Bio bio(BIO_new_mem_buf(text->data(), static_cast<int>(text->size())));
    Pkey key = checkedEd25519(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr),
                              privateFile.string());
    keyId_ = keyIdOf(rawPublicKey(key.get()));
    key_ = key.release();
}

PublisherKey::~PublisherKey() {
    EVP_PKEY_free(key_);
}

std::string PublisherKey::sign(const std::string& tag, std::string_view manifest) const {
    std::string message = packsignature::signedMessage(tag, manifest);
    unsigned char signature[kSignatureSize];
    std::size_t size = sizeof signature;
    MdContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_) != 1 ||
        EVP_DigestSign(context.get(), signature, &size,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1)
        throw std::runtime_error("cannot sign the manifest of " + tag);
    return packsignature::text({std::to_string(PackManifest::kFormat), keyId_,
                                std::string(reinterpret_cast<char*>(signature), size)});
}

TrustedKeys TrustedKeys::load(const std::filesystem::path& folder) {
    TrustedKeys keys;
    keys.folder_ = folder;
    for (const auto& text : PackShelf::trustedKeyFiles(folder)) {
        try {
            keys.add(text);
        } catch (const std::runtime_error&) {
            ERR_clear_error();
        }
    }
    return keys;
}

std::string TrustedKeys::add(std::string_view pem) {
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Pkey key =
        checkedEd25519(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr), "the public key");
    std::string raw = rawPublicKey(key.get());
    std::string id = keyIdOf(raw);
    keys_[id] = {id, raw, std::string(pem)};
    return id;
}

const TrustedKeys::Key& TrustedKeys::verify(const std::string& tag, std::string_view manifest,
                                            std::string_view signature,
                                            const std::string& where) const {
    const std::string untrusted = "not signed by a trusted publisher (";
    auto parsed = packsignature::parse(signature);
    if (!parsed)
        refuse(where, untrusted + "the signature is malformed)");
    if (parsed->format != std::to_string(PackManifest::kFormat))
        refuse(where, "signed as pack format " + parsed->format.substr(0, 8) +
                          ", this application reads format " +
                          std::to_string(PackManifest::kFormat));
    auto key = keys_.find(parsed->keyId);
    if (key == keys_.end() && keys_.empty())
        refuse(where, untrusted + "no trusted keys in " + folder_.string() + ")");
    if (key == keys_.end())
        refuse(where, untrusted + "unknown key " + packsignature::shortId(parsed->keyId) + ")");

    const auto* raw = reinterpret_cast<const unsigned char*>(key->second.raw.data());
    Pkey publicKey(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, raw, kPublicKeySize));
    MdContext context(EVP_MD_CTX_new());
    std::string message = packsignature::signedMessage(tag, manifest);
    const auto* bytes = reinterpret_cast<const unsigned char*>(parsed->signature.data());
    if (!publicKey || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1 ||
        EVP_DigestVerify(context.get(), bytes, kSignatureSize,
                         reinterpret_cast<const unsigned char*>(message.data()),
                         message.size()) != 1)
        refuse(where, "signature does not match");
    return key->second;
}
