#include "packs/VerifiedFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

VerifiedFileWriter::VerifiedFileWriter(const DirectoryHandle& folder, const std::string& name,
                                       const PackFile& expected, WriteFunction write,
                                       const Prefix* kept)
    : path_(folder / name), expected_(expected), write_(std::move(write)) {
    fd_ = folder.openFile(name, O_WRONLY | O_CREAT);
    // A file linked from elsewhere (an installed pack's, taken for an update) shares its bytes:
    // it is unlinked here and started anew rather than written into.
    struct stat info {};
    if (fd_ && ::fstat(fd_.get(), &info) == 0 && info.st_nlink > 1) {
        fd_.reset();
        folder.remove(name);
        fd_ = folder.openFile(name, O_WRONLY | O_CREAT | O_EXCL);
    }
    if (!fd_)
        fileio::throwStorageError(errno, "create", path_);
    readFd_ = folder.openFile(name, O_RDONLY);
    if (!readFd_)
        fileio::throwStorageError(errno, "open", path_);
    if (!kept || !adopt(*kept)) {
        hasher_.reset();
        truncateUnlessEmpty();
    }
    startHashing();
}

// Hashes the kept prefix as the file holds it now; true if it is the prefix that was kept.
bool VerifiedFileWriter::adopt(const Prefix& kept) {
    if (kept.bytes == 0 || kept.bytes > expected_.size)
        return false;
    std::vector<char> buffer(kReadBufferSize);
    std::uint64_t hashed = 0;
    while (hashed < kept.bytes) {
        auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), kept.bytes - hashed));
        ssize_t got = ::pread(readFd_.get(), buffer.data(), want, static_cast<off_t>(hashed));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;  // shorter than kept, or unreadable: start over
        hasher_.update(buffer.data(), static_cast<std::size_t>(got));
        hashed += static_cast<std::uint64_t>(got);
    }
    if (hasher_.peekHex() != kept.sha256)
        return false;
    // A transfer killed after the prefix was kept may have written more: it is not trusted.
    if (::ftruncate(fd_.get(), static_cast<off_t>(kept.bytes)) != 0 ||
        ::lseek(fd_.get(), static_cast<off_t>(kept.bytes), SEEK_SET) < 0)
        fileio::throwStorageError(errno, "resume", path_);
    accepted_ = written_ = resumedFrom_ = kept.bytes;
    return true;
}

// Truncating a file to nothing marks it, on ext4, to be flushed to disk as soon as it is closed,
// which would stall the transfer at the end of every file: a new file is left alone.
void VerifiedFileWriter::truncateUnlessEmpty() {
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0)
        fileio::throwStorageError(errno, "open", path_);
    if (info.st_size > 0 && ::ftruncate(fd_.get(), 0) != 0)
        fileio::throwStorageError(errno, "truncate", path_);
}

void VerifiedFileWriter::startHashing() {
    closing_ = abandoned_ = false;
    hashFrom_ = accepted_;
    // A file that fits in one batch would wake the thread only at its end anyway: the caller
    // reads it back and hashes it then, which spares a thread per file in packs of small files.
    if (expected_.size - accepted_ > kHashBatch)
        hashing_ = std::thread(&VerifiedFileWriter::hashWrittenBytes, this, accepted_);
}

void VerifiedFileWriter::restart() {
    stopHashing(true);
    if (::ftruncate(fd_.get(), 0) != 0 || ::lseek(fd_.get(), 0, SEEK_SET) < 0)
        fileio::throwStorageError(errno, "truncate", path_);
    hasher_.reset();
    failure_ = nullptr;
    accepted_ = written_ = resumedFrom_ = 0;
    startHashing();
}

VerifiedFileWriter::Prefix VerifiedFileWriter::settle() {
    stopHashing(false);
    std::lock_guard lock(mutex_);
    if (failure_ || !fd_)
        return {};
    fd_.reset();
    return {accepted_, hasher_.peekHex()};
}

VerifiedFileWriter::~VerifiedFileWriter() {
    stopHashing(true);
}

void VerifiedFileWriter::append(const char* data, std::size_t size) {
    if (size > expected_.size - accepted_) {
        throw ContentError(LKSOnDemandSizeMismatchError,
                           "\"" + expected_.name + "\" has more than its " +
                               std::to_string(expected_.size) + " bytes (" +
                               std::to_string(accepted_ + size) + " received)");
    }
    fileio::writeAll(write_, fd_.get(), data, size, path_);
    accepted_ += size;
    bool wake;
    {
        std::lock_guard lock(mutex_);
        written_ = accepted_;
        wake = written_ >= hasherWantsUpTo_;
    }
    if (wake)
        changed_.notify_one();
}

FileStamp VerifiedFileWriter::finish() {
    struct stat written {};
    if (::fstat(fd_.get(), &written) != 0)
        fileio::throwStorageError(errno, "check", path_);
    stopHashing(false);
    {
        std::lock_guard lock(mutex_);
        if (failure_)
            std::rethrow_exception(failure_);
    }
    if (accepted_ != expected_.size) {
        throw ContentError(LKSOnDemandSizeMismatchError,
                           "\"" + expected_.name + "\" has " + std::to_string(accepted_) +
                               " bytes instead of " + std::to_string(expected_.size));
    }
    if (auto got = hasher_.finishHex(); got != expected_.sha256)
        throw ContentError(LKSOnDemandChecksumMismatchError,
                           "\"" + expected_.name + "\" does not match its checksum: SHA-256 " +
                               got + " instead of " + expected_.sha256);
    struct stat hashed {};
    if (::fstat(fd_.get(), &hashed) != 0)
        fileio::throwStorageError(errno, "check", path_);
    if (FileStamp::of(hashed) != FileStamp::of(written))
        throw ContentError(LKSOnDemandChecksumMismatchError,
                           "\"" + expected_.name + "\" was changed while it was checked");
    if (::close(fd_.release()) != 0)
        fileio::throwStorageError(errno, "close", path_);
    return FileStamp::of(hashed);
}

void VerifiedFileWriter::hashWrittenBytes(std::uint64_t hashed) {
    std::vector<char> buffer(static_cast<std::size_t>(
        std::min<std::uint64_t>(kReadBufferSize, std::max<std::uint64_t>(expected_.size, 1))));
    for (;;) {
        std::uint64_t available;
        {
            std::unique_lock lock(mutex_);
            hasherWantsUpTo_ = hashed + kHashBatch;
            changed_.wait(lock, [&] { return written_ >= hasherWantsUpTo_ || closing_; });
            hasherWantsUpTo_ = UINT64_MAX;
            available = written_;
            if (abandoned_ || available == hashed)
                return;  // abandoned, or closing with everything written hashed
        }
        while (hashed < available) {
            auto want = static_cast<std::size_t>(
                std::min<std::uint64_t>(buffer.size(), available - hashed));
            ssize_t got = ::pread(readFd_.get(), buffer.data(), want, static_cast<off_t>(hashed));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                int error = got < 0 ? errno : EIO;
                std::lock_guard lock(mutex_);
                try {
                    fileio::throwStorageError(error, "read back", path_);
                } catch (...) {
                    failure_ = std::current_exception();
                }
                return;
            }
            hasher_.update(buffer.data(), static_cast<std::size_t>(got));
            hashed += static_cast<std::uint64_t>(got);
        }
    }
}

void VerifiedFileWriter::stopHashing(bool abandon) {
    if (!hashing_.joinable()) {
        if (!abandon && !closing_) {
            closing_ = true;
            hashWrittenBytes(hashFrom_);
        }
        return;
    }
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        abandoned_ = abandon;
    }
    changed_.notify_one();
    hashing_.join();
}
