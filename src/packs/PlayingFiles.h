#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "packs/FileIo.h"

// Players hold a shared flock(2) on each media file while they play it (PlayingMedia.h), so
// any process, this one included, sees which files of a pack are playing before it replaces
// the pack or hashes it in the background.
namespace playingfiles {

// Whether a player holds the file `name` of `folder` now.
bool isPlaying(const DirectoryHandle& folder, const std::string& name);

// Exclusive locks on every file of a folder: no player starts on one of them while held.
class Hold {
public:
    explicit Hold(std::vector<UniqueFd> locks) : locks_(std::move(locks)) {}

private:
    std::vector<UniqueFd> locks_;
};

// Waits until no file of `folder` plays, then holds them all. Throws ContentError (network,
// "cancelled") once `cancelled` is set meanwhile.
Hold waitUntilNonePlays(const DirectoryHandle& folder, const std::atomic<bool>& cancelled);

}  // namespace playingfiles
