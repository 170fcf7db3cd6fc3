#include "packs/ContentService.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "packs/ContentError.h"
#include "packs/Fetcher.h"
#include "packs/PackInstaller.h"
#include "packs/PackManifest.h"
#include "packs/PackShelf.h"
#include "packs/PackStore.h"
#include "packs/PackUpdater.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

namespace {

// Progress moves in steps of 1/kProgressSteps, so observers hear of a request at most about
// a hundred times however large the pack is.
constexpr int kProgressSteps = 100;

// How long closing the service waits, in all, for workers to notice that they are cancelled.
// A transfer does within about a second; a worker stuck in a call that does not return (a
// hung disk, say) must not keep the application from exiting.
constexpr auto kShutdownWait = std::chrono::seconds(2);

}  // namespace

struct ContentService::Outcome {
    std::shared_ptr<NSError> error;
    PackUpdate update;
    PackCheck check;
};

struct ContentService::Job {
    struct Waiter {
        std::shared_ptr<NSProgress> progress;
        ContentService::Waiter done;
    };

    std::string key;
    std::vector<Waiter> waiters;  // guarded by Core::mutex
    bool exited = false;          // guarded by Core::mutex; the thread can then be joined
    std::thread thread;
    int lastStep = 0;  // worker thread only
};

// Everything the workers touch, shared with them so that a worker outliving the service
// (one that destroyed the service from its own completion) still finds it.
struct ContentService::Core {
    PackShelf shelf;
    const PackStore& store = shelf.store();
    PackInstaller::Settings settings;
    std::atomic<bool> cancelled{false};

    std::mutex mutex;
    std::condition_variable jobExited;
    std::map<std::string, std::shared_ptr<Job>> running;  // by key, until completions start
    std::vector<std::shared_ptr<Job>> threads;            // jobs whose thread is not joined

    Core(PackShelf shelf, PackInstaller::Settings settings)
        : shelf(std::move(shelf)), settings(std::move(settings)) {}

    std::vector<std::shared_ptr<NSProgress>> progressesOf(const Job& job) {
        std::lock_guard lock(mutex);
        std::vector<std::shared_ptr<NSProgress>> progresses;
        for (const auto& waiter : job.waiters) {
            if (waiter.progress)
                progresses.push_back(waiter.progress);
        }
        return progresses;
    }

    // Moves the progresses of `job` in steps of 1/kProgressSteps, short of 1.0, which is kept
    // for the end: a pack is not there until it is installed.
    PackInstaller::ByteProgress progressOf(Job& job) {
        return [this, &job](std::uint64_t done, std::uint64_t total) {
            if (total == 0)
                return;
            int step = static_cast<int>(done * kProgressSteps / total);
            if (step <= job.lastStep || step >= kProgressSteps)
                return;
            job.lastStep = step;
            double fraction = static_cast<double>(done) / static_cast<double>(total);
            for (const auto& progress : progressesOf(job))
                progress->setFractionCompleted(fraction);
        };
    }
};

ContentService::ContentService(Options options) {
    std::string baseUrl = options.baseUrl;
    while (!baseUrl.empty() && baseUrl.back() == '/')
        baseUrl.pop_back();
    if (baseUrl.empty())
        throw std::invalid_argument("ContentService needs a base URL");
    PackShelf shelf(options.cacheDirectory, options.trustedKeys, std::move(options.spaceProbe));
    PackInstaller::Settings settings;
    settings.baseUrl = std::move(baseUrl);
    settings.fetch.connect = options.connectTimeout;
    settings.fetch.minimumRate = options.minimumRate;
    settings.fetch.rateWindow = options.rateWindow;
    settings.fetch.manifestDeadline = options.manifestDeadline;
    settings.fetch.certificateAuthorities = options.certificateAuthorities;
    settings.spaceProbe = shelf.spaceProbe();
    settings.write = options.write ? std::move(options.write) : fileio::systemWrite;
    settings.trustedKeys = TrustedKeys::load(options.trustedKeys);
    auto clock = options.clock ? std::move(options.clock) : std::chrono::system_clock::now;
    settings.now = [clock] {
        return std::chrono::duration_cast<std::chrono::seconds>(clock().time_since_epoch()).count();
    };
    core_ = std::make_shared<Core>(std::move(shelf), std::move(settings));
}

ContentService::~ContentService() {
    core_->cancelled = true;
    std::unique_lock lock(core_->mutex);
    std::vector<std::shared_ptr<Job>> jobs;
    jobs.swap(core_->threads);
    auto self = std::this_thread::get_id();
    core_->jobExited.wait_for(lock, kShutdownWait, [&] {
        return std::all_of(jobs.begin(), jobs.end(), [&](const auto& job) {
            return job->exited || job->thread.get_id() == self;
        });
    });
    // A worker still running owns what it uses (the Core and its Job are shared with it, and
    // the module is never unloaded): it completes its request whenever its call returns.
    for (auto& job : jobs) {
        if (job->exited && job->thread.get_id() != self)
            job->thread.join();
        else
            job->thread.detach();
    }
}

const std::filesystem::path& ContentService::cacheDirectory() const {
    return core_->store.cacheDirectory();
}

std::filesystem::path ContentService::stagingDirectory() const {
    return core_->store.stagingDirectory();
}

std::string ContentService::bundleDirectory(const std::string& tag) {
    return core_->shelf.bundleDirectory(tag);
}

std::vector<PackOnDisk> ContentService::installedPacks() {
    return core_->shelf.installedPacks();
}

bool ContentService::unchangedSinceChecked(const std::string& tag) {
    return core_->shelf.isUnchanged(tag);
}

void ContentService::removePack(const std::string& tag) {
    core_->shelf.removePack(tag);
}

std::optional<std::uint64_t> ContentService::availableSpace() {
    return core_->shelf.availableSpace();
}

std::vector<std::string> ContentService::packFiles(const std::string& tag) {
    return core_->shelf.packFiles(tag);
}

void ContentService::beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                                    Completion completion) {
    start(
        "request " + tag, std::move(progress),
        [completion = std::move(completion)](const Outcome& outcome) {
            if (completion)
                completion(outcome.error);
        },
        [tag](Core& core, Job& job) {
            PackInstaller installer(core.store, core.settings, core.cancelled);
            installer.install(tag, core.progressOf(job));
            return Outcome{};
        });
}

void ContentService::updatePack(const std::string& tag, bool whenDue, bool install,
                                std::shared_ptr<NSProgress> progress, UpdateCompletion completion) {
    start(
        "update " + std::to_string(whenDue) + std::to_string(install) + " " + tag,
        std::move(progress),
        [completion = std::move(completion)](const Outcome& outcome) {
            if (completion)
                completion(outcome.update, outcome.error);
        },
        [tag, whenDue, install](Core& core, Job& job) {
            PackUpdater updater(core.store, core.settings, core.cancelled);
            return Outcome{{}, updater.update(tag, whenDue, install, core.progressOf(job)), {}};
        });
}

void ContentService::checkPack(const std::string& tag, bool background,
                               CheckCompletion completion) {
    start(
        "check " + std::to_string(background) + " " + tag, nullptr,
        [completion = std::move(completion)](const Outcome& outcome) {
            if (completion)
                completion(outcome.check, outcome.error);
        },
        [tag, background](Core& core, Job&) {
            PackUpdater updater(core.store, core.settings, core.cancelled);
            return Outcome{{}, {}, updater.check(tag, background)};
        });
}

void ContentService::start(const std::string& key, std::shared_ptr<NSProgress> progress,
                           Waiter waiter, Work work) {
    std::vector<std::shared_ptr<Job>> finished;
    std::shared_ptr<NSError> startFailure;
    {
        std::lock_guard lock(core_->mutex);
        auto exited = std::stable_partition(core_->threads.begin(), core_->threads.end(),
                                            [](const auto& job) { return !job->exited; });
        finished.assign(exited, core_->threads.end());
        core_->threads.erase(exited, core_->threads.end());

        auto running = core_->running.find(key);
        if (running != core_->running.end()) {
            // The same work is already on its way: share it.
            running->second->waiters.push_back({std::move(progress), std::move(waiter)});
        } else {
            auto job = std::make_shared<Job>();
            job->key = key;
            job->waiters.push_back({progress, waiter});
            try {
                job->thread = std::thread(&ContentService::run, core_, job, std::move(work));
                core_->running.emplace(key, job);
                core_->threads.push_back(std::move(job));
                waiter = nullptr;
            } catch (const std::system_error& failure) {
                startFailure =
                    NSError::make(LKSOnDemandStorageError,
                                  std::string("cannot start a worker: ") + failure.what());
            }
        }
    }
    for (auto& job : finished)
        job->thread.join();
    // Still called exactly once when no worker could take it.
    if (startFailure && waiter)
        waiter(Outcome{startFailure, {}, {}});
}

void ContentService::run(const std::shared_ptr<Core>& core, const std::shared_ptr<Job>& job,
                         const Work& work) {
    Outcome outcome;
    try {
        outcome = work(*core, *job);
    } catch (const ContentError& failure) {
        outcome.error = failure.toNSError();
    } catch (const std::exception& failure) {
        outcome.error = NSError::make(LKSOnDemandStorageError, failure.what());
    }

    std::vector<Job::Waiter> waiters;
    {
        std::lock_guard lock(core->mutex);
        waiters.swap(job->waiters);
        // From here a new request for the tag starts afresh (and finds the pack installed).
        core->running.erase(job->key);
    }
    if (!outcome.error) {
        for (const auto& waiter : waiters) {
            if (waiter.progress)
                waiter.progress->setFractionCompleted(1.0);
        }
    }
    for (const auto& waiter : waiters) {
        if (waiter.done)
            waiter.done(outcome);
    }
    std::lock_guard lock(core->mutex);
    job->exited = true;
    core->jobExited.notify_all();
}
