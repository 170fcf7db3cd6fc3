#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/resources/ResourceService.h"

// What one on-demand pack is on this machine now.
struct PackStatus {
    enum class State { absent, downloading, installed, failed };

    std::string tag;
    State state = State::absent;
    double fraction = 0.0;          // while downloading
    std::uint64_t bytesOnDisk = 0;  // once installed
    std::string reason;             // after a failure: the cause, in words

    // "absent", "downloading", "installed" or "failed".
    static const char* nameOf(State state);
};

// The one place that knows the state of every pack: the requests of the screens, the
// grown-ups' panel, the backend's download marks and the terminal's pack commands all go
// through it. The composition root makes one per run and hands it to each of them. Used on the main
// thread; the service's progress and completions, which come from its workers, reach the
// state and its observers on the main queue, always with their tag.
class PackLibrary : public std::enable_shared_from_this<PackLibrary> {
public:
    using Observer = std::function<void(const PackStatus& status)>;
    using MainQueue = std::function<void(std::function<void()> block)>;
    // Whether a player has a file below `directory` open.
    using InUse = std::function<bool(const std::string& directory)>;

    // The line a failed request writes on standard error.
    static std::string failureLine(const std::string& tag, const std::string& reason);

    // Failed requests are reported on `failures`, one line each, besides their state.
    PackLibrary(std::shared_ptr<ResourceService> service, MainQueue mainQueue, InUse inUse,
                std::ostream& failures);

    // The state of `tag`; what is installed is read from disk once, not at every call.
    PackStatus status(const std::string& tag);
    // Every pack known: installed on disk, or asked for since.
    std::vector<PackStatus> list();
    std::optional<std::uint64_t> availableSpace();
    std::string bundleDirectory(const std::string& tag);
    // Whether the files of `tag` may be handed to a player: a request of this run for it
    // succeeded (the service checked the pack then), it has not failed or been removed since,
    // and the service finds its files unchanged since. A pack found on disk, however sound it
    // looks, is not until then.
    bool isVerified(const std::string& tag);

    // Starts (or joins) the download of `tag`. `progress` follows it and `completion` runs
    // once, on any thread, after the state has been updated on the main queue.
    void request(const std::string& tag, std::shared_ptr<class NSProgress> progress,
                 ResourceService::Completion completion);
    // Removes the installed pack of `tag`. Returns why it did not (a download running, a
    // file of it playing, the disk refusing), or nothing once removed.
    std::optional<std::string> remove(const std::string& tag);

    // Observers hear every change of a pack's state, on the main queue.
    std::uint64_t addObserver(Observer observer);
    void removeObserver(std::uint64_t observer);

private:
    void loadInstalled();
    void change(PackStatus status);
    void progressed(const std::string& tag, double fraction);
    void finished(const std::string& tag, const std::shared_ptr<class NSError>& error);

    std::shared_ptr<ResourceService> service_;
    MainQueue mainQueue_;
    InUse inUse_;
    std::ostream& failures_;
    bool installedLoaded_ = false;
    std::map<std::string, PackStatus> packs_;
    std::map<std::string, int> running_;  // requests not yet completed, by tag
    std::set<std::string> verified_;
    std::map<std::uint64_t, Observer> observers_;
    std::uint64_t nextObserver_ = 1;
};
