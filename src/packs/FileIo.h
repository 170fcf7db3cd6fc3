#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Writes like write(2): returns the count written, or -1 with errno set. Injectable so that
// tests can make a disk "fill up" in the middle of a file.
using WriteFunction = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Bytes the current user may still write under `directory`, or nullopt when unknown.
using SpaceProbe = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// An owned file descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset();

private:
    int fd_ = -1;
};

namespace fileio {

// write(2) from the default WriteFunction.
ssize_t systemWrite(int fd, const void* data, std::size_t size);
// statvfs(3): blocks available to unprivileged users.
std::optional<std::uint64_t> systemAvailableSpace(const std::filesystem::path& directory);

// Writes all of `data`, retrying short writes and EINTR. Throws ContentError: out of space
// (ENOSPC, EDQUOT) or a storage error.
void writeAll(const WriteFunction& write, int fd, const void* data, std::size_t size,
              const std::filesystem::path& what);
// fsync(2) of a file or folder; throws ContentError (storage) on failure.
void syncFd(int fd, const std::filesystem::path& what);
void syncDirectory(const std::filesystem::path& directory);
// syncfs(2) of the file system holding `path`.
void syncFileSystem(const std::filesystem::path& path);
// Opens `path` only if it is a regular file, never through a symbolic link (O_NOFOLLOW) and
// never blocking on a FIFO or a device (O_NONBLOCK, which a regular file ignores). Returns an
// invalid descriptor with errno set otherwise (EINVAL for a file of another type).
UniqueFd openRegular(const std::filesystem::path& path, int flags, int mode = 0644);
// The contents of the regular file at `path`, or nothing when it is missing, of another type,
// or larger than `maxBytes`: what is read back from the cache is never trusted to be small.
std::optional<std::string> readRegular(const std::filesystem::path& path, std::size_t maxBytes);
// Makes `path` a real folder. Something else there (a link, a file) is removed first, the
// link itself and never what it points to, so the cache never writes outside itself.
// Throws ContentError (storage).
void makeRealDirectory(const std::filesystem::path& path);
// True when `path` itself (not what a link there points to) is a folder.
bool isRealDirectory(const std::filesystem::path& path);
// Throws ContentError with the code matching errno (out of space or storage).
[[noreturn]] void throwStorageError(int error, const std::string& action,
                                    const std::filesystem::path& what);

}  // namespace fileio
