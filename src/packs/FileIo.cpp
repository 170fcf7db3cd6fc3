#include "packs/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

void UniqueFd::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

namespace fileio {

ssize_t systemWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

std::optional<std::uint64_t> systemAvailableSpace(const std::filesystem::path& directory) {
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

void throwStorageError(int error, const std::string& action, const std::filesystem::path& what) {
    std::string message = "cannot " + action + " " + what.string() + ": " + std::strerror(error);
    if (error == ENOSPC || error == EDQUOT)
        throw ContentError(NSBundleOnDemandResourceOutOfSpaceError, message);
    throw ContentError(LKSOnDemandStorageError, message);
}

void writeAll(const WriteFunction& write, int fd, const void* data, std::size_t size,
              const std::filesystem::path& what) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        errno = 0;
        ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwStorageError(errno, "write", what);
        }
        // A zero-byte write of a non-empty buffer means the device takes no more.
        if (written == 0)
            throwStorageError(ENOSPC, "write", what);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

UniqueFd openRegular(const std::filesystem::path& path, int flags, int mode) {
    UniqueFd fd(::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode));
    struct stat info {};
    if (fd && (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
        fd.reset();
        errno = EINVAL;
    }
    return fd;
}

std::optional<std::string> readRegular(const std::filesystem::path& path, std::size_t maxBytes) {
    UniqueFd fd = openRegular(path, O_RDONLY);
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t got = ::read(fd.get(), text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;  // unreadable, or shrunk while read: not the file it was
        done += static_cast<std::size_t>(got);
    }
    return text;
}

bool isRealDirectory(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void makeRealDirectory(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            throwStorageError(errno, "replace", path);
    } else if (errno != ENOENT) {
        throwStorageError(errno, "open", path);
    }
    if (::mkdir(path.c_str(), 0755) != 0) {
        int error = errno;
        if (error != EEXIST || !isRealDirectory(path))
            throwStorageError(error, "create", path);
    }
}

void syncFd(int fd, const std::filesystem::path& what) {
    if (::fsync(fd) != 0)
        throwStorageError(errno, "sync", what);
}

void syncDirectory(const std::filesystem::path& directory) {
    UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        throwStorageError(errno, "open", directory);
    syncFd(fd.get(), directory);
}

void syncFileSystem(const std::filesystem::path& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        throwStorageError(errno, "open", path);
    if (::syncfs(fd.get()) != 0)
        throwStorageError(errno, "sync", path);
}

}  // namespace fileio
