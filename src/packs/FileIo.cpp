#include "packs/FileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

FileStamp FileStamp::of(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_ctim.tv_sec),
            static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

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

namespace {

UniqueFd openRegularAt(int folder, const char* name, int flags, int mode) {
    UniqueFd fd(::openat(folder, name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode));
    struct stat info {};
    if (fd && (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
        fd.reset();
        errno = EINVAL;
    }
    return fd;
}

}  // namespace

UniqueFd openRegular(const std::filesystem::path& path, int flags, int mode) {
    return openRegularAt(AT_FDCWD, path.c_str(), flags, mode);
}

namespace {

std::optional<std::string> readAll(UniqueFd fd, std::size_t maxBytes, FileStamp* stamp = nullptr) {
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return std::nullopt;
    if (stamp)
        *stamp = FileStamp::of(info);
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

}  // namespace

std::optional<std::string> readRegular(const std::filesystem::path& path, std::size_t maxBytes) {
    return readAll(openRegular(path, O_RDONLY), maxBytes);
}

void syncFd(int fd, const std::filesystem::path& what) {
    if (::fsync(fd) != 0)
        throwStorageError(errno, "sync", what);
}

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A name that openat(2) takes as one entry of the folder, and nothing above or below it.
bool isEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// The entries of the folder open as `folder`, read through a descriptor of its own so that
// the handle's offset is left alone. 0, or the errno of the failure.
int listEntries(int folder, std::vector<std::string>& names) {
    int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (stream == nullptr) {
        int error = errno;
        if (fd >= 0)
            ::close(fd);
        return error;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(stream)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
        errno = 0;
    }
    int error = errno;
    ::closedir(stream);
    return error;
}

// Removes `name` inside `folder`: a folder is opened without following a link, emptied the
// same way and removed; anything else, a link included, is unlinked itself. 0, or an errno.
int removeEntry(int folder, const char* name) {
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(info.st_mode))
        return ::unlinkat(folder, name, 0) == 0 || errno == ENOENT ? 0 : errno;
    // Swapped for a link since it was looked at, it is not opened: O_NOFOLLOW fails instead.
    UniqueFd inner(::openat(folder, name, kFolderFlags));
    if (!inner)
        return errno == ENOENT ? 0 : errno;
    std::vector<std::string> names;
    if (int error = listEntries(inner.get(), names))
        return error;
    for (const auto& entry : names) {
        if (int error = removeEntry(inner.get(), entry.c_str()))
            return error;
    }
    return ::unlinkat(folder, name, AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

std::string uniqueSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, '\0');
    for (auto& letter : suffix)
        letter = kLetters[pick(generator)];
    return suffix;
}

}  // namespace

}  // namespace fileio

DirectoryHandle DirectoryHandle::openRoot(const std::filesystem::path& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        fileio::throwStorageError(errno, "open", path);
    return DirectoryHandle(std::move(fd), path);
}

std::optional<DirectoryHandle> DirectoryHandle::find(const std::string& name) const {
    if (!fileio::isEntryName(name))
        return std::nullopt;
    UniqueFd fd(::openat(fd_.get(), name.c_str(), fileio::kFolderFlags));
    if (!fd)
        return std::nullopt;
    return DirectoryHandle(std::move(fd), path_ / name);
}

DirectoryHandle DirectoryHandle::open(const std::string& name) const {
    if (!fileio::isEntryName(name))
        fileio::throwStorageError(EINVAL, "open", path_ / name);
    UniqueFd fd(::openat(fd_.get(), name.c_str(), fileio::kFolderFlags));
    if (!fd)
        fileio::throwStorageError(errno, "open", path_ / name);
    return DirectoryHandle(std::move(fd), path_ / name);
}

DirectoryHandle DirectoryHandle::make(const std::string& name) const {
    if (!fileio::isEntryName(name))
        fileio::throwStorageError(EINVAL, "create", path_ / name);
    struct stat info {};
    if (status(name, info) && !S_ISDIR(info.st_mode))
        remove(name);
    if (::mkdirat(fd_.get(), name.c_str(), 0755) != 0 && errno != EEXIST)
        fileio::throwStorageError(errno, "create", path_ / name);
    return open(name);
}

bool DirectoryHandle::status(const std::string& name, struct stat& info) const {
    if (!fileio::isEntryName(name)) {
        errno = EINVAL;
        return false;
    }
    return ::fstatat(fd_.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool DirectoryHandle::holds(const std::string& name, const DirectoryHandle& folder) const {
    struct stat entry {};
    struct stat held {};
    return status(name, entry) && ::fstat(folder.fd(), &held) == 0 && S_ISDIR(entry.st_mode) &&
           entry.st_dev == held.st_dev && entry.st_ino == held.st_ino;
}

UniqueFd DirectoryHandle::openFile(const std::string& name, int flags, int mode) const {
    if (!fileio::isEntryName(name)) {
        errno = EINVAL;
        return UniqueFd();
    }
    return fileio::openRegularAt(fd_.get(), name.c_str(), flags, mode);
}

std::optional<std::string> DirectoryHandle::readFile(const std::string& name, std::size_t maxBytes,
                                                     FileStamp* stamp) const {
    return fileio::readAll(openFile(name, O_RDONLY), maxBytes, stamp);
}

void DirectoryHandle::replaceFile(const std::string& name, std::string_view text) const {
    // A writer killed between writing its temporary file and renaming it leaves the file
    // behind; once that process is gone nobody finishes it, so it is removed here.
    const std::string prefix = name + ".tmp-";
    std::vector<std::string> names;
    fileio::listEntries(fd_.get(), names);
    for (const auto& entry : names) {
        std::string digits = entry.substr(std::min(prefix.size(), entry.size()));
        if (!entry.starts_with(prefix) || digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        auto owner = static_cast<pid_t>(std::stol(digits));
        if (owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlinkat(fd_.get(), entry.c_str(), 0);
    }
    const std::string temporary = prefix + std::to_string(::getpid());
    UniqueFd fd = openFile(temporary, O_WRONLY | O_CREAT | O_TRUNC);
    if (!fd)
        fileio::throwStorageError(errno, "create", path_ / temporary);
    try {
        fileio::writeAll(fileio::systemWrite, fd.get(), text.data(), text.size(),
                         path_ / temporary);
        fileio::syncFd(fd.get(), path_ / temporary);
        if (::close(fd.release()) != 0 ||
            ::renameat(fd_.get(), temporary.c_str(), fd_.get(), name.c_str()) != 0)
            fileio::throwStorageError(errno, "write", path_ / name);
    } catch (const std::exception&) {
        ::unlinkat(fd_.get(), temporary.c_str(), 0);
        throw;
    }
    sync();
}

std::vector<std::string> DirectoryHandle::names() const {
    std::vector<std::string> names;
    if (int error = fileio::listEntries(fd_.get(), names))
        fileio::throwStorageError(error, "list", path_);
    return names;
}

void DirectoryHandle::remove(const std::string& name) const {
    if (!fileio::isEntryName(name))
        fileio::throwStorageError(EINVAL, "remove", path_ / name);
    if (int error = fileio::removeEntry(fd_.get(), name.c_str()))
        fileio::throwStorageError(error, "remove", path_ / name);
}

void DirectoryHandle::removeQuietly(const std::string& name) const noexcept {
    if (fileio::isEntryName(name))
        fileio::removeEntry(fd_.get(), name.c_str());
}

void DirectoryHandle::rename(const std::string& name, const DirectoryHandle& to,
                             const std::string& newName) const {
    if (!fileio::isEntryName(name) || !fileio::isEntryName(newName))
        fileio::throwStorageError(EINVAL, "rename", path_ / name);
    if (::renameat(fd_.get(), name.c_str(), to.fd(), newName.c_str()) != 0)
        fileio::throwStorageError(errno, "rename", path_ / name);
}

std::string DirectoryHandle::makeUnique(const std::string& prefix) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + fileio::uniqueSuffix();
        if (!fileio::isEntryName(name))
            break;
        if (::mkdirat(fd_.get(), name.c_str(), 0700) == 0)
            return name;
        if (errno != EEXIST)
            fileio::throwStorageError(errno, "create", path_ / name);
    }
    fileio::throwStorageError(EEXIST, "create", path_ / (prefix + "XXXXXX"));
}

void DirectoryHandle::sync() const {
    fileio::syncFd(fd_.get(), path_);
}
