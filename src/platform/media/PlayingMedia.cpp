#include "platform/media/PlayingMedia.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace {

std::mutex gMutex;
// Each open file with the descriptor that holds its shared lock (-1 when none could be had).
std::multimap<std::string, int> gOpen;

// A shared lock on the file for as long as it plays: a process replacing its pack sees it and
// waits (PlayingFiles.h). A replacement holds its exclusive locks for a moment only, so a
// few tries ride it out; a player never waits longer for a lock it does not need to play.
int lockShared(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    for (int attempt = 0; fd >= 0 && attempt < 50; ++attempt) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0)
            return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (fd >= 0)
        ::close(fd);
    return -1;
}

}  // namespace

namespace PlayingMedia {

void opened(const std::string& path) {
    int fd = lockShared(path);
    std::lock_guard lock(gMutex);
    gOpen.emplace(path, fd);
}

void closed(const std::string& path) {
    std::lock_guard lock(gMutex);
    if (auto found = gOpen.find(path); found != gOpen.end()) {
        if (found->second >= 0)
            ::close(found->second);
        gOpen.erase(found);
    }
}

bool anyUnder(const std::string& directory) {
    auto folder = std::filesystem::path(directory).lexically_normal();
    std::lock_guard lock(gMutex);
    for (const auto& [path, fd] : gOpen) {
        auto relative = std::filesystem::path(path).lexically_normal().lexically_relative(folder);
        if (!relative.empty() && *relative.begin() != "..")
            return true;
    }
    return false;
}

}  // namespace PlayingMedia
