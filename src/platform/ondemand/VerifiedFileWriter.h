#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/ondemand/FileIo.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/Sha256.h"

// Writes one pack file as it streams in and checks it against the manifest. The caller's
// thread only writes, as a plain download would; a thread of its own hashes the file by
// reading back what has been written, so hashing overlaps the transfer and what is verified
// is what the file holds. More bytes than announced fail at once, so a runaway body cannot
// fill the disk. Memory use does not depend on the file size.
// Throws ContentError: out of space, storage, size mismatch, checksum mismatch.
class VerifiedFileWriter {
public:
    // Creates `path`, which must not exist yet.
    VerifiedFileWriter(std::filesystem::path path, const PackFile& expected, WriteFunction write);
    ~VerifiedFileWriter();
    VerifiedFileWriter(const VerifiedFileWriter&) = delete;
    VerifiedFileWriter& operator=(const VerifiedFileWriter&) = delete;

    void append(const char* data, std::size_t size);
    // Waits for the hash, checks size and hash, and closes the file.
    void finish();

    static constexpr std::size_t kReadBufferSize = 256 * 1024;

private:
    void hashWrittenBytes();
    // Lets the hashing thread finish what is written (or, when abandoning, stop) and joins it.
    void stopHashing(bool abandon);

    std::filesystem::path path_;
    const PackFile& expected_;
    WriteFunction write_;
    UniqueFd fd_;
    UniqueFd readFd_;
    std::uint64_t accepted_ = 0;  // caller thread
    Sha256 hasher_;               // hashing thread, until finish() joins it

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t written_ = 0;  // bytes the hashing thread may read
    bool hasherWaiting_ = false;
    bool closing_ = false;
    bool abandoned_ = false;
    std::exception_ptr failure_;
    std::thread hashing_;
};
