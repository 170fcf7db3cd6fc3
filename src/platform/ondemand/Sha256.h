#pragma once

#include <cstddef>
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

    static std::string hex(const void* data, std::size_t size);

private:
    evp_md_ctx_st* context_;
};
