#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "packs/PackInstaller.h"
#include "packs/PackStore.h"
#include "platform/resources/ResourceService.h"

// Keeps an installed pack current and sound: asks its content source for a newer edition with a
// conditional request, at most once a day unless asked, and installs it fetching only what
// changed (PackInstaller::installEdition); hashes its files again, every 30 days at least. Both
// hold the tag's lock, so two processes updating one pack take turns. Failures throw
// ContentError, the installed edition untouched.
class PackUpdater {
public:
    static constexpr std::int64_t kCheckInterval = 24 * 60 * 60;
    static constexpr std::int64_t kRehashInterval = 30 * 24 * 60 * 60;

    PackUpdater(const PackStore& store, const PackInstaller::Settings& settings,
                const std::atomic<bool>& cancelled);

    // With `whenDue`, asks nothing when the source was asked less than a day ago. A newer
    // edition is installed with `install`, else said to be available.
    PackUpdate update(const std::string& tag, bool whenDue, bool install,
                      const PackInstaller::ByteProgress& onBytes);
    // Hashes every file of the installed pack. With `background`, only when its files were last
    // hashed 30 days ago or more, at the lowest priority, never while another request holds the
    // pack, and stopping (to try again later) as soon as a file of it starts playing.
    PackCheck check(const std::string& tag, bool background);

private:
    const PackStore& store_;
    const PackInstaller::Settings& settings_;
    const std::atomic<bool>& cancelled_;
};
