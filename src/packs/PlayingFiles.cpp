#include "packs/PlayingFiles.h"

#include <fcntl.h>
#include <sys/file.h>

#include <chrono>
#include <thread>

#include "packs/ContentError.h"
#include "platform/foundation/NSError.h"

namespace playingfiles {

bool isPlaying(const DirectoryHandle& folder, const std::string& name) {
    UniqueFd fd = folder.openFile(name, O_RDONLY);
    return fd && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

Hold waitUntilNonePlays(const DirectoryHandle& folder, const std::atomic<bool>& cancelled) {
    for (;;) {
        std::vector<UniqueFd> locks;
        bool free = true;
        for (const auto& name : folder.names()) {
            struct stat info {};
            if (!folder.status(name, info) || !S_ISREG(info.st_mode))
                continue;
            UniqueFd lock = folder.openFile(name, O_RDONLY);
            if (!lock)
                continue;  // gone meanwhile, or no regular file: nothing plays it
            free = ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
            if (!free)
                break;
            locks.push_back(std::move(lock));
        }
        if (free)
            return Hold(std::move(locks));
        if (cancelled.load())
            throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
        // A chapter lasts minutes: a check a few times a second is plenty.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

}  // namespace playingfiles
