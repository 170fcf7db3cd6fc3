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

struct ContentService::Job {
    struct Waiter {
        std::shared_ptr<NSProgress> progress;
        Completion completion;
    };

    std::string tag;
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
    std::map<std::string, std::shared_ptr<Job>> running;  // by tag, until completions start
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
    settings.timeouts.connect = options.connectTimeout;
    settings.timeouts.minimumRate = options.minimumRate;
    settings.timeouts.rateWindow = options.rateWindow;
    settings.timeouts.manifestDeadline = options.manifestDeadline;
    settings.spaceProbe = shelf.spaceProbe();
    settings.write = options.write ? std::move(options.write) : fileio::systemWrite;
    settings.trustedKeys = TrustedKeys::load(options.trustedKeys);
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

void ContentService::beginAccessing(const std::string& tag, std::shared_ptr<NSProgress> progress,
                                    Completion completion) {
    std::vector<std::shared_ptr<Job>> finished;
    std::shared_ptr<NSError> startFailure;
    {
        std::lock_guard lock(core_->mutex);
        auto exited = std::stable_partition(core_->threads.begin(), core_->threads.end(),
                                            [](const auto& job) { return !job->exited; });
        finished.assign(exited, core_->threads.end());
        core_->threads.erase(exited, core_->threads.end());

        auto running = core_->running.find(tag);
        if (running != core_->running.end()) {
            // The same pack is already on its way: share that download.
            running->second->waiters.push_back({std::move(progress), std::move(completion)});
        } else {
            auto job = std::make_shared<Job>();
            job->tag = tag;
            job->waiters.push_back({progress, completion});
            try {
                job->thread = std::thread(&ContentService::run, core_, job);
                core_->running.emplace(tag, job);
                core_->threads.push_back(std::move(job));
                completion = nullptr;
            } catch (const std::system_error& failure) {
                startFailure =
                    NSError::make(LKSOnDemandStorageError,
                                  std::string("cannot start a worker: ") + failure.what());
            }
        }
    }
    for (auto& job : finished)
        job->thread.join();
    // Still called exactly once when no worker could take the request.
    if (startFailure && completion)
        completion(startFailure);
}

void ContentService::run(const std::shared_ptr<Core>& core, const std::shared_ptr<Job>& job) {
    std::shared_ptr<NSError> error;
    try {
        PackInstaller installer(core->store, core->settings, core->cancelled);
        installer.install(job->tag, [&](std::uint64_t done, std::uint64_t total) {
            if (total == 0)
                return;
            int step = static_cast<int>(done * kProgressSteps / total);
            // 1.0 is kept for the end: the pack is not there until it is installed.
            if (step <= job->lastStep || step >= kProgressSteps)
                return;
            job->lastStep = step;
            double fraction = static_cast<double>(done) / static_cast<double>(total);
            for (const auto& progress : core->progressesOf(*job))
                progress->setFractionCompleted(fraction);
        });
    } catch (const ContentError& failure) {
        error = failure.toNSError();
    } catch (const std::exception& failure) {
        error = NSError::make(LKSOnDemandStorageError, failure.what());
    }

    std::vector<Job::Waiter> waiters;
    {
        std::lock_guard lock(core->mutex);
        waiters.swap(job->waiters);
        // From here a new request for the tag starts afresh (and finds the pack installed).
        core->running.erase(job->tag);
    }
    if (!error) {
        for (const auto& waiter : waiters) {
            if (waiter.progress)
                waiter.progress->setFractionCompleted(1.0);
        }
    }
    for (const auto& waiter : waiters) {
        if (waiter.completion)
            waiter.completion(error);
    }
    std::lock_guard lock(core->mutex);
    job->exited = true;
    core->jobExited.notify_all();
}
