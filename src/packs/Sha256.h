#pragma once

#include <cstddef>
#include <optional>
#include <string>

struct evp_md_ctx_st;

// Incremental SHA-256, so files are hashed while they stream to disk.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);
    // Lower-case hex digest; the hasher cannot be updated afterwards.
    std::string finishHex();
    // The digest of what was hashed so far; the hasher carries on.
    std::string peekHex() const;
    // Starts over, as if newly made.
    void reset();

    static std::string hex(const void* data, std::size_t size);
    // The digest of what is left to read of the open file `fd`, or nothing when it cannot be
    // read.
    static std::optional<std::string> ofFile(int fd);

private:
    evp_md_ctx_st* context_;
};
