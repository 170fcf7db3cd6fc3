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

#include "platform/foundation/FailureCause.h"
#include "platform/resources/ResourceService.h"

// What one on-demand pack is on this machine now.
struct PackStatus {
    // damaged: a check of its files found some missing or changed; they are no longer handed
    // out, and the next download fetches only those.
    enum class State { absent, downloading, installed, failed, damaged };

    // The installed edition against what its content source offers, as this run found out.
    struct Update {
        enum class State { unknown, checking, upToDate, available, updating, failed };
        State state = State::unknown;
        std::uint64_t edition = 0;                   // available, updating: the newer edition
        std::uint64_t bytes = 0;                     // available: what updating fetches
        double fraction = 0.0;                       // updating
        std::string reason;                          // failed: the cause, in words
        FailureCause cause = FailureCause::unknown;  // failed: as a grown-up is told it
    };

    std::string tag;
    State state = State::absent;
    double fraction = 0.0;                       // while downloading
    std::uint64_t bytesOnDisk = 0;               // once installed
    std::uint64_t edition = 0;                   // once installed; 0 where the service keeps none
    std::string reason;                          // after a failure: the cause, in words
    FailureCause cause = FailureCause::unknown;  // after a failure: as a grown-up is told it
    Update update;
    bool checkingFiles = false;        // a grown-up's check of its files is running
    std::vector<std::string> damaged;  // damaged: the files that failed
    bool filesChecked = false;         // a check of this run found every file sound

    // A pack in `state` of which nothing else is known yet.
    static PackStatus of(std::string tag, State state = State::absent);
    // "absent", "downloading", "installed", "failed" or "damaged".
    static const char* nameOf(State state);
};

// Why a removal did not happen: the cause a grown-up is told, and the exact line.
struct PackRefusal {
    FailureCause cause = FailureCause::unknown;
    std::string reason;
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
    // The family's choice to have newer editions installed without asking, kept by the
    // platform; none (as for the terminal) updates only when asked.
    struct AutomaticUpdates {
        std::function<bool()> get;
        std::function<void(bool on)> set;
    };

    // The line a failed request writes on standard error.
    static std::string failureLine(const std::string& tag, const std::string& reason);

    // Failed requests are reported on `failures`, one line each, besides their state.
    PackLibrary(std::shared_ptr<ResourceService> service, MainQueue mainQueue, InUse inUse,
                std::ostream& failures, AutomaticUpdates automatic = {});

    // The state of `tag`; what is installed is read from disk once, not at every call.
    PackStatus status(const std::string& tag);
    // Every pack known: installed on disk, or asked for since.
    std::vector<PackStatus> list();
    std::optional<std::uint64_t> availableSpace();
    std::string bundleDirectory(const std::string& tag);
    // Whether the file `name` of `tag` may be handed to a player: a request of this run for the
    // pack succeeded (the service checked it then), it has not failed, been found damaged or
    // been removed since, its installed manifest lists `name`, and the service finds its files
    // unchanged since. A pack found on disk, however sound it looks, is not until then.
    bool isVerified(const std::string& tag, const std::string& name);
    // The files that may accompany the media file at `path` (its captions): those its pack's
    // manifest lists, when `path` lies in a pack's folder (none until the pack is verified, nor
    // once a file of it changed); nothing when it lies elsewhere, as the application's own do.
    std::optional<std::vector<std::string>> listedBeside(const std::string& path);

    // Starts (or joins) the download of `tag`. `progress` follows it and `completion` runs
    // once, on any thread, after the state has been updated on the main queue.
    void request(const std::string& tag, std::shared_ptr<class NSProgress> progress,
                 ResourceService::Completion completion);
    // Removes the installed pack of `tag`. Returns why it did not (a download running, a
    // file of it playing, the disk refusing), or nothing once removed.
    std::optional<PackRefusal> remove(const std::string& tag);

    // Asks the content source for a newer edition of the installed `tag` now, and installs it
    // when updates are automatic; `done` (may be empty) runs on the main queue once the state
    // says what came of it.
    void checkForUpdate(const std::string& tag, std::function<void()> done = {});
    // Installs the newer edition of `tag` now, whatever the automatic choice.
    void update(const std::string& tag, std::function<void()> done = {});
    // Hashes the installed files of `tag` again now.
    void checkFiles(const std::string& tag, std::function<void()> done = {});
    bool updatesAutomatically() const;
    void setUpdatesAutomatically(bool on);

    // Observers hear every change of a pack's state, on the main queue.
    std::uint64_t addObserver(Observer observer);
    void removeObserver(std::uint64_t observer);

private:
    void loadInstalled();
    void change(PackStatus status);
    // Changes the current state of `tag` as `edit` says and tells the observers.
    void edit(const std::string& tag, const std::function<void(PackStatus&)>& edit);
    void progressed(const std::string& tag, double fraction);
    void finished(const std::string& tag, bool wasInstalled,
                  const std::shared_ptr<class NSError>& error);
    // Starts an update of `tag`; `asked`: by a grown-up or the terminal, who hear every outcome.
    void startUpdate(const std::string& tag, bool whenDue, bool install, bool asked,
                     std::function<void()> done);
    void updated(const std::string& tag, const PackUpdate& update,
                 const std::shared_ptr<class NSError>& error, bool asked);
    void startCheck(const std::string& tag, bool background, std::function<void()> done);
    void checked(const std::string& tag, const PackCheck& check,
                 const std::shared_ptr<class NSError>& error);
    // The pack as the service has it after a request or an update succeeded: checked, with the
    // files its manifest lists.
    void verified(const std::string& tag);
    void fail(const std::string& tag, const NSError& error);

    std::shared_ptr<ResourceService> service_;
    MainQueue mainQueue_;
    InUse inUse_;
    std::ostream& failures_;
    AutomaticUpdates automatic_;
    bool installedLoaded_ = false;
    std::map<std::string, PackStatus> packs_;
    std::map<std::string, int> running_;                     // requests not yet completed, by tag
    std::map<std::string, std::set<std::string>> verified_;  // the files each one lists
    std::map<std::uint64_t, Observer> observers_;
    std::uint64_t nextObserver_ = 1;
};
