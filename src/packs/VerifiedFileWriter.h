#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "packs/FileIo.h"
#include "packs/PackManifest.h"
#include "packs/Sha256.h"

// Writes one pack file as it streams in and checks it against the manifest. The caller's
// thread only writes, as a plain download would; a thread of its own hashes the file by
// reading back what has been written, so hashing overlaps the transfer and what is verified
// is what the file holds. More bytes than announced fail at once, so a runaway body cannot
// fill the disk. Memory use does not depend on the file size.
// A file can also carry on from a prefix an earlier transfer left: the prefix is read back and
// hashed first, so the final check still covers every byte of the file as it is on disk.
// Throws ContentError: out of space, storage, size mismatch, checksum mismatch.
class VerifiedFileWriter {
public:
    // The first `bytes` of a file and their SHA-256, as kept when a transfer was cut.
    struct Prefix {
        std::uint64_t bytes = 0;
        std::string sha256;
    };

    // Opens `name` in `folder` (a regular file or nothing). With a `kept` prefix that the file
    // still starts with, writing carries on after it; anything else starts the file over.
    VerifiedFileWriter(const DirectoryHandle& folder, const std::string& name,
                       const PackFile& expected, WriteFunction write, const Prefix* kept = nullptr);
    ~VerifiedFileWriter();
    VerifiedFileWriter(const VerifiedFileWriter&) = delete;
    VerifiedFileWriter& operator=(const VerifiedFileWriter&) = delete;

    void append(const char* data, std::size_t size);
    // Waits for the hash, checks size and hash, and closes the file. Returns its stamp as it was
    // hashed: written to by anyone else meanwhile, it fails as a checksum mismatch.
    FileStamp finish();
    // Bytes the file started with, kept from an earlier transfer (0 when it started empty).
    std::uint64_t resumedFrom() const { return resumedFrom_; }
    // Drops what the file holds and starts it over, as when a server sends the whole file.
    void restart();
    // After a failed transfer: waits for the hash of what was written and returns that prefix
    // (empty if it cannot be trusted). The writer takes no more bytes.
    Prefix settle();

    static constexpr std::size_t kReadBufferSize = 256 * 1024;
    // The hashing thread sleeps until this much more is written (or the file is done): waking
    // it for every piece the transfer hands over would cost more in thread switches than the
    // hashing itself. A file no larger is hashed by the caller at its end.
    static constexpr std::uint64_t kHashBatch = 2 * 1024 * 1024;

private:
    bool adopt(const Prefix& kept);
    void truncateUnlessEmpty();
    void startHashing();
    void hashWrittenBytes(std::uint64_t hashed);
    // Lets the hashing thread finish what is written (or, when abandoning, stop) and joins it;
    // without a thread, hashes what is written here unless abandoning.
    void stopHashing(bool abandon);

    std::filesystem::path path_;  // for messages
    const PackFile& expected_;
    WriteFunction write_;
    UniqueFd fd_;
    UniqueFd readFd_;
    std::uint64_t accepted_ = 0;  // caller thread
    std::uint64_t resumedFrom_ = 0;
    std::uint64_t hashFrom_ = 0;  // where hashing of the written bytes starts
    Sha256 hasher_;               // hashing thread, until finish() joins it

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t written_ = 0;  // bytes the hashing thread may read
    // While the hashing thread sleeps: how far the file must grow before it is worth waking.
    std::uint64_t hasherWantsUpTo_ = UINT64_MAX;
    bool closing_ = false;
    bool abandoned_ = false;
    std::exception_ptr failure_;
    std::thread hashing_;
};
