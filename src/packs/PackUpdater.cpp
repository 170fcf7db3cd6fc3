#include "packs/PackUpdater.h"

#include <linux/ioprio.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "packs/ContentError.h"
#include "packs/EditionRecord.h"
#include "packs/InstalledPackCheck.h"
#include "packs/PlayingFiles.h"
#include "packs/Sha256.h"
#include "packs/UpdateRecord.h"
#include "platform/foundation/NSError.h"

namespace {

TrustedCopy installedCopy(const PackStore& store, const TrustedKeys& keys, const std::string& tag) {
    if (!PackManifest::isSafeName(tag))
        throw ContentError(NSBundleOnDemandResourceInvalidTagError, "not a valid pack name");
    auto copy = trustedCopy(store, keys, tag);
    if (!copy)
        throw ContentError(LKSOnDemandNotInstalledError, "it is not on this machine");
    return std::move(*copy);
}

std::string editionText(std::uint64_t edition) {
    return "edition " + std::to_string(edition);
}

// The calling thread, a worker of its own, yields the processor and the disk to anything else.
void lowerThisThreadsPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
    ::syscall(SYS_ioprio_set, IOPRIO_WHO_PROCESS, 0, IOPRIO_PRIO_VALUE(IOPRIO_CLASS_IDLE, 0));
}

}  // namespace

PackUpdater::PackUpdater(const PackStore& store, const PackInstaller::Settings& settings,
                         const std::atomic<bool>& cancelled)
    : store_(store), settings_(settings), cancelled_(cancelled) {}

PackUpdate PackUpdater::update(const std::string& tag, bool whenDue, bool install,
                               const PackInstaller::ByteProgress& onBytes) {
    installedCopy(store_, settings_.trustedKeys, tag);
    store_.prepare();
    auto lock = store_.lock(tag, cancelled_);
    store_.removeLeftovers(tag);
    // Read again under the lock: another process may have updated it meanwhile.
    auto installed = installedCopy(store_, settings_.trustedKeys, tag);
    const std::int64_t now = settings_.now();
    const std::string installedSha = Sha256::hex(installed.json.data(), installed.json.size());
    auto record = UpdateRecord::load(store_.cacheDirectory(), tag);
    if (whenDue && record && now >= record->checked && now - record->checked < kCheckInterval)
        return {PackUpdate::Found::notDue, installed.manifest.edition(), 0};
    // Conditions only for the copy installed: a 304 then means exactly "nothing new".
    UpdateRecord checked{now, installedSha, {}};
    if (record && record->manifestSha256 == installedSha)
        checked.validators = record->validators;
    PackInstaller installer(store_, settings_, cancelled_);
    const auto& source = installer.source();
    const std::string where = source.manifestUrl(tag);
    Fetcher fetcher(settings_.fetch, cancelled_);
    std::optional<SignedManifest> fetched;
    try {
        fetched = source.fetch(tag, fetcher, &checked.validators);
    } catch (const ContentError&) {
        checked.save(store_.cacheDirectory(), tag);
        throw;
    }
    if (!fetched || fetched->json == installed.json) {
        if (fetched)
            checked.validators = {fetched->head.etag, fetched->head.lastModified};
        checked.save(store_.cacheDirectory(), tag);
        return {PackUpdate::Found::upToDate, installed.manifest.edition(), 0};
    }
    checked.save(store_.cacheDirectory(), tag);
    const auto& offered = fetched->manifest;
    const auto has = installed.manifest.edition();
    if (offered.edition() < has)
        throw ContentError(LKSOnDemandUntrustedError,
                           where + ": " + editionText(offered.edition()) + " is older than " +
                               editionText(has) + " installed");
    if (offered.edition() == has)
        throw ContentError(LKSOnDemandUntrustedError, where + ": " + editionText(has) +
                                                          " differs from the " + editionText(has) +
                                                          " installed");
    EditionRecord(store_.cacheDirectory(), settings_.trustedKeys)
        .check(offered, fetched->json, where);
    ManifestSource::refuseExpired(offered, now, where);
    if (!install)
        return {PackUpdate::Found::available, offered.edition(), installer.bytesToFetch(offered)};
    installer.installEdition(*fetched, fetcher, onBytes);
    return {PackUpdate::Found::installed, offered.edition(), 0};
}

PackCheck PackUpdater::check(const std::string& tag, bool background) {
    installedCopy(store_, settings_.trustedKeys, tag);
    std::optional<PackStore::TagLock> lock;
    if (background)
        lock = store_.tryLock(tag);
    else
        lock.emplace(store_.lock(tag, cancelled_));
    if (!lock)
        return {};
    auto installed = installedCopy(store_, settings_.trustedKeys, tag);
    const std::int64_t now = settings_.now();
    auto record = store_.record(tag);
    if (background && record && now >= record->hashedAt && now - record->hashedAt < kRehashInterval)
        return {};
    auto folder = store_.openPack(tag);
    if (background)
        lowerThisThreadsPriority();
    // Whether a player opened a file of the pack, looked at about once a second.
    auto lastLook = std::chrono::steady_clock::now();
    auto damaged = rehashInstalledPack(store_, installed, tag, now, [&] {
        if (cancelled_.load())
            throw ContentError(LKSOnDemandNetworkError, "the request was cancelled");
        auto sinceLook = std::chrono::steady_clock::now() - lastLook;
        if (!background || !folder || sinceLook < std::chrono::seconds(1))
            return false;
        lastLook = std::chrono::steady_clock::now();
        return std::any_of(
            installed.manifest.files().begin(), installed.manifest.files().end(),
            [&](const PackFile& file) { return playingfiles::isPlaying(*folder, file.name); });
    });
    if (!damaged)
        return {};
    return {true, std::move(*damaged)};
}
