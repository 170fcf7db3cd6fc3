#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Writes like write(2): returns the count written, or -1 with errno set. Injectable so that
// tests can make a disk "fill up" in the middle of a file.
using WriteFunction = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Bytes the current user may still write under `directory`, or nullopt when unknown.
using SpaceProbe = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// One state of a file: the inode it is and when it last changed. Any write, replacement or
// rename of the file changes it, and no unprivileged process can set a change time back.
struct FileStamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;

    static FileStamp of(const struct stat& info);
    bool operator==(const FileStamp&) const = default;
};

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

// An open folder of the cache. Each one is opened from its parent's handle without following a
// link, and everything inside it is made, renamed and removed relative to that handle: a folder
// swapped for a link on the way can make an operation fail, never make it reach outside.
// Names given to it are single entries (no '/', not "." or ".."); a path is kept for messages.
// Throwing members throw ContentError (out of space or storage).
class DirectoryHandle {
public:
    // The cache folder itself: it may be a link, the user's choice, so it alone is followed.
    static DirectoryHandle openRoot(const std::filesystem::path& path);
    // The real folder `name` inside this one; nothing when it is missing, a link or no folder.
    std::optional<DirectoryHandle> find(const std::string& name) const;
    // The real folder `name` inside this one; throws when it is missing, a link or no folder.
    DirectoryHandle open(const std::string& name) const;
    // Makes `name` a real folder and opens it. Something else there (a link, a file) is removed
    // first, the link itself and never what it points to.
    DirectoryHandle make(const std::string& name) const;

    int fd() const { return fd_.get(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // lstat(2) of the entry; false with errno set when there is none.
    bool status(const std::string& name, struct stat& info) const;
    // True when the entry `name` is the very folder `folder` holds open.
    bool holds(const std::string& name, const DirectoryHandle& folder) const;
    // Opens the entry only if it is a regular file, as fileio::openRegular does.
    UniqueFd openFile(const std::string& name, int flags, int mode = 0644) const;
    // As fileio::readRegular, for an entry of this folder; `stamp`, when given, is set to the
    // file's as it was read.
    std::optional<std::string> readFile(const std::string& name, std::size_t maxBytes,
                                        FileStamp* stamp = nullptr) const;
    // Replaces the file in one rename of a synced temporary file beside it.
    void replaceFile(const std::string& name, std::string_view text) const;
    // The entries, without "." and "..".
    std::vector<std::string> names() const;
    // Removes the entry, a folder with everything in it; a link inside is removed itself, never
    // followed. Nothing when it is missing.
    void remove(const std::string& name) const;
    // remove() for clean-up after a failure that is reported instead: errors are ignored.
    void removeQuietly(const std::string& name) const noexcept;
    // Renames the entry into `to` (which may be this folder).
    void rename(const std::string& name, const DirectoryHandle& to,
                const std::string& newName) const;
    // Makes a new empty folder "<prefix>XXXXXX", as mkdtemp(3) does, and returns its name.
    std::string makeUnique(const std::string& prefix) const;
    void sync() const;

private:
    DirectoryHandle(UniqueFd fd, std::filesystem::path path)
        : fd_(std::move(fd)), path_(std::move(path)) {}

    UniqueFd fd_;
    std::filesystem::path path_;
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
// Opens `path` only if it is a regular file, never through a symbolic link (O_NOFOLLOW) and
// never blocking on a FIFO or a device (O_NONBLOCK, which a regular file ignores). Returns an
// invalid descriptor with errno set otherwise (EINVAL for a file of another type).
UniqueFd openRegular(const std::filesystem::path& path, int flags, int mode = 0644);
// The contents of the regular file at `path`, or nothing when it is missing, of another type,
// or larger than `maxBytes`: what is read back from the cache is never trusted to be small.
std::optional<std::string> readRegular(const std::filesystem::path& path, std::size_t maxBytes);
// Throws ContentError with the code matching errno (out of space or storage).
[[noreturn]] void throwStorageError(int error, const std::string& action,
                                    const std::filesystem::path& what);

}  // namespace fileio
