#include "platform/foundation/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(int error, const std::string& action, const fs::path& what) {
    throw std::system_error(error, std::generic_category(),
                            "cannot " + action + " " + what.string());
}

std::string temporaryPrefix(const fs::path& path) {
    return path.filename().string() + ".tmp-";
}

// A writer killed between creating its temporary file and renaming it leaves
// the file behind; once its process is gone, nobody will finish it.
void removeAbandonedTemporaryFiles(const fs::path& path) {
    std::error_code ignored;
    const std::string prefix = temporaryPrefix(path);
    for (const auto& entry : fs::directory_iterator(path.parent_path(), ignored)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0)
            continue;
        std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t owner = static_cast<pid_t>(std::stol(digits));
        if (owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH)
            fs::remove(entry.path(), ignored);
    }
}

}  // namespace

AtomicFile::AtomicFile(fs::path path) : path_(std::move(path)) {
    if (!path_.has_parent_path())
        path_ = fs::path(".") / path_;
    temporary_ = path_.parent_path() / (temporaryPrefix(path_) + std::to_string(::getpid()));
    // Whatever sits at the temporary name is never written through: not a link, and not a
    // FIFO, whose open would wait for a reader (O_NONBLOCK; a regular file ignores it).
    fd_ = ::open(temporary_.c_str(),
                 O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd_);
        fd_ = -1;
        errno = EINVAL;
    }
    if (fd_ < 0)
        throwErrno(errno, "create", temporary_);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void AtomicFile::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = ::write(fd_, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        // A zero-byte write of a non-empty buffer means the device takes no more.
        if (written <= 0)
            throwErrno(written == 0 ? ENOSPC : errno, "write", temporary_);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFile::commit() {
    if (::fsync(fd_) != 0)
        throwErrno(errno, "write", temporary_);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary_.c_str());
        throwErrno(error, "write", path_);
    }
    removeAbandonedTemporaryFiles(path_);
    int folder = ::open(path_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        int synced = ::fsync(folder);
        int error = errno;
        ::close(folder);
        if (synced != 0)
            throwErrno(error, "write", path_.parent_path());
    }
}

void AtomicFile::replace(const fs::path& path, std::string_view contents) {
    AtomicFile file(path);
    file.write(contents);
    file.commit();
}

std::optional<std::string> AtomicFile::read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}
