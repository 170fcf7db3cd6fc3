#include "packs/Sha256.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::runtime_error("cannot initialise SHA-256");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_);
}

void Sha256::update(const void* data, std::size_t size) {
    if (size > 0 && EVP_DigestUpdate(context_, data, size) != 1)
        throw std::runtime_error("SHA-256 update failed");
}

std::string Sha256::peekHex() const {
    Sha256 copy;
    if (EVP_MD_CTX_copy_ex(copy.context_, context_) != 1)
        throw std::runtime_error("SHA-256 copy failed");
    return copy.finishHex();
}

void Sha256::reset() {
    if (EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("cannot initialise SHA-256");
}

std::string Sha256::finishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_, digest, &length) != 1)
        throw std::runtime_error("SHA-256 final failed");
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kDigits[digest[i] >> 4]);
        text.push_back(kDigits[digest[i] & 0x0f]);
    }
    return text;
}

std::string Sha256::hex(const void* data, std::size_t size) {
    Sha256 hasher;
    hasher.update(data, size);
    return hasher.finishHex();
}

std::optional<std::string> Sha256::ofFile(int fd) {
    std::vector<char> buffer(1024 * 1024);
    Sha256 hasher;
    for (;;) {
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return hasher.finishHex();
        hasher.update(buffer.data(), static_cast<std::size_t>(got));
    }
}
