// bench_download: how fast ContentService fetches, verifies and installs a large pack compared
// with the curl command-line tool downloading the same files, and how much memory it needs.
//
//   bench_download [--size-mb N] [--files N] [--runs N]
//
// Makes a pack of random files, serves it with nginx on 127.0.0.1, then times, alternately,
// `curl` writing the files to disk and a ContentService request in a child process (so its
// peak memory is its own). Targets: median throughput ratio >= 1.0, service peak RSS < 32 MB.
// Then cuts a request at 90 % of the pack (the service is destroyed, as when the application
// quits) and counts the body bytes the next request receives: at most the remainder + 1 MiB.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "NginxServer.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackBuilder.h"
#include "platform/ondemand/PackSignature.h"

extern char** environ;

namespace {

constexpr const char* kTag = "Bench";
constexpr double kTargetRatio = 1.0;
constexpr double kCutAt = 0.9;
constexpr double kResumeSlackBytes = 1024.0 * 1024.0;
constexpr double kTargetPeakMb = 32.0;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The peak resident set of this process (VmHWM), in KiB.
long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Child mode: one ContentService request; prints "<seconds> <peak KiB> <body bytes written>".
// With `cutAt` below 1, destroys the service once that share of `totalBytes` has arrived, which
// cancels the request as quitting the application would.
int runFetch(const std::string& baseUrl, const std::string& cache, double cutAt = 1.0,
             double totalBytes = 0) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::uint64_t written = 0;  // guarded by mutex
    ContentService::Options options;
    options.baseUrl = baseUrl;
    options.cacheDirectory = cache;
    // The key that signed the bench's pack lies beside its caches.
    options.trustedKeys = std::filesystem::path(cache).parent_path() / "keys";
    bool cutting = false;
    auto reachedCut = [&] {
        return cutAt < 1.0 && static_cast<double>(written) >= cutAt * totalBytes;
    };
    options.write = [&](int fd, const void* data, std::size_t size) {
        ssize_t result = ::write(fd, data, size);
        std::unique_lock lock(mutex);
        written += result > 0 ? static_cast<std::uint64_t>(result) : 0;
        if (reachedCut()) {
            // Holds the transfer until the service is being destroyed, so the cut lands here.
            done.notify_all();
            done.wait(lock, [&] { return cutting; });
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return result;
    };
    auto start = Clock::now();
    std::shared_ptr<NSError> failure;
    {
        ContentService service(options);
        service.beginAccessing(kTag, NSProgress::make(), [&](std::shared_ptr<NSError> error) {
            std::lock_guard lock(mutex);
            failure = std::move(error);
            finished = true;
            done.notify_all();
        });
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return finished || reachedCut(); });
        cutting = true;
        done.notify_all();
    }
    double seconds = secondsSince(start);
    if (failure && cutAt < 1.0)
        std::cerr << "cut: " << failure->localizedDescription() << "\n";
    if (failure && cutAt >= 1.0) {
        std::cerr << "fetch failed: " << failure->code() << " " << failure->localizedDescription()
                  << "\n";
        return 1;
    }
    std::lock_guard lock(mutex);
    std::cout << seconds << " " << peakResidentKb() << " " << written << "\n";
    return 0;
}

// The mean time of one check of the pack's signature, as the service makes once per request.
double signatureCheckSeconds(const std::filesystem::path& work) {
    auto keys = TrustedKeys::load(work / "keys");
    auto folder = work / "www" / kTag;
    auto json = packfixtures::readFile(folder / PackManifest::kFileName);
    auto signature = packfixtures::readFile(folder / PackManifest::kSignatureFileName);
    constexpr int kChecks = 1000;
    auto start = Clock::now();
    for (int i = 0; i < kChecks; ++i)
        keys.verify(kTag, json, signature, "bench");
    return secondsSince(start) / kChecks;
}

// Writes `count` files of random data totalling about `totalBytes`, 1 MiB at a time.
void makeSourceFiles(const std::filesystem::path& folder, std::size_t totalBytes, int count) {
    std::filesystem::create_directories(folder);
    std::mt19937_64 generator(20240601);
    std::vector<std::uint64_t> buffer(1024 * 1024 / sizeof(std::uint64_t));
    std::size_t perFile = totalBytes / count;
    for (int i = 0; i < count; ++i) {
        std::ofstream output(folder / ("movie-" + std::to_string(i) + ".mp4"), std::ios::binary);
        for (std::size_t written = 0; written < perFile;) {
            for (auto& word : buffer)
                word = generator();
            std::size_t chunk = std::min(perFile - written, buffer.size() * sizeof(std::uint64_t));
            output.write(reinterpret_cast<const char*>(buffer.data()),
                         static_cast<std::streamsize>(chunk));
            written += chunk;
        }
    }
}

struct ChildRun {
    int exitStatus = -1;
    double wallSeconds = 0;
    long maxRssKb = 0;      // ru_maxrss of the child
    double cpuSeconds = 0;  // user + system
    std::string out;
};

ChildRun runChild(const std::vector<std::string>& arguments, const std::filesystem::path& scratch) {
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    auto outPath = scratch / "child.out";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildRun run;
    auto start = Clock::now();
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        throw std::runtime_error("cannot run " + arguments[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.wallSeconds = secondsSince(start);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssKb = usage.ru_maxrss;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.out = packfixtures::readFile(outPath);
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Bytes of every regular file below `folder`.
std::uint64_t bytesBelow(const std::filesystem::path& folder) {
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            total += entry.file_size();
    }
    return total;
}

// Cuts a request at kCutAt of the pack, then runs the next one; prints what each moved.
bool measureResume(const std::string& self, const std::string& base,
                   const std::filesystem::path& work, double totalBytes) {
    auto cache = work / "cache";
    std::filesystem::remove_all(cache);
    auto cut = runChild({self, "--fetch-cut", base, cache.string(), std::to_string(kCutAt),
                         std::to_string(totalBytes)},
                        work);
    std::uint64_t kept = bytesBelow(cache / "staging");
    auto next = runChild({self, "--fetch", base, cache.string()}, work);
    std::istringstream reported(next.out);
    double seconds = 0;
    long peakKb = 0;
    std::uint64_t moved = 0;
    reported >> seconds >> peakKb >> moved;
    double remainder = totalBytes - static_cast<double>(kept);
    bool met = next.exitStatus == 0 && static_cast<double>(moved) <= remainder + kResumeSlackBytes;
    std::printf("\nresume: cut at %.0f %% (exit %d), %.1f MB kept in staging\n", kCutAt * 100,
                cut.exitStatus, static_cast<double>(kept) / 1e6);
    std::printf(
        "resume: next request received %.2f MB for a remainder of %.2f MB "
        "(target at most the remainder + 1 MiB): %s\n",
        static_cast<double>(moved) / 1e6, remainder / 1e6, met ? "met" : "MISSED");
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--fetch")
        return runFetch(argv[2], argv[3]);
    if (argc == 6 && std::string(argv[1]) == "--fetch-cut")
        return runFetch(argv[2], argv[3], std::stod(argv[4]), std::stod(argv[5]));

    std::size_t sizeMb = 200;
    int files = 4;
    int runs = 11;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--size-mb")
            sizeMb = std::stoul(argv[i + 1]);
        else if (option == "--files")
            files = std::stoi(argv[i + 1]);
        else if (option == "--runs")
            runs = std::stoi(argv[i + 1]);
        else {
            std::cerr << "usage: bench_download [--size-mb N] [--files N] [--runs N]\n";
            return 2;
        }
    }

    try {
        TempDirectory work("larkspire-bench");
        std::cout << "making a " << sizeMb << " MiB pack of " << files << " files...\n"
                  << std::flush;
        makeSourceFiles(work / "source", sizeMb * 1024 * 1024, files);
        std::filesystem::create_directories(work / "keys");
        PublisherKey::generate(work / "bench.key", work / "keys" / "bench.pub");
        auto manifest = PackBuilder::build(work / "source", work / "www" / kTag, kTag,
                                           PublisherKey(work / "bench.key"));
        const double totalBytes = static_cast<double>(manifest.totalSize());
        NginxServer nginx(work / "www");
        std::string base = nginx.url();

        std::vector<std::string> curlCommand = {"curl", "--silent", "--show-error", "--fail"};
        for (const auto& file : manifest.files()) {
            curlCommand.push_back("--output");
            curlCommand.push_back((work / "curl-out" / file.name).string());
            curlCommand.push_back(base + "/" + kTag + "/" + file.name);
        }
        curlCommand.insert(curlCommand.begin() + 1, "--create-dirs");
        std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        std::vector<std::string> fetchCommand = {self, "--fetch", base, (work / "cache").string()};

        std::vector<double> curlSeconds, serviceSeconds, curlCpu, serviceCpu;
        long servicePeakKb = 0, serviceMaxRssKb = 0, curlMaxRssKb = 0;
        for (int run = 0; run < runs; ++run) {
            // Neither side should pay for the other's dirty pages.
            std::filesystem::remove_all(work / "curl-out");
            std::filesystem::remove_all(work / "cache");
            ::sync();
            auto curl = runChild(curlCommand, work.path());
            if (curl.exitStatus != 0)
                throw std::runtime_error("curl failed (is the curl package installed?)");
            for (const auto& file : manifest.files()) {
                if (std::filesystem::file_size(work / "curl-out" / file.name) != file.size)
                    throw std::runtime_error("curl fetched a wrong size for " + file.name);
            }
            ::sync();
            auto service = runChild(fetchCommand, work.path());
            if (service.exitStatus != 0)
                throw std::runtime_error("the service fetch failed");
            std::istringstream reported(service.out);
            double insideSeconds = 0;
            long peakKb = 0;
            reported >> insideSeconds >> peakKb;
            for (const auto& file : manifest.files()) {
                if (std::filesystem::file_size(work / "cache" / "packs" / kTag / file.name) !=
                    file.size)
                    throw std::runtime_error("the service installed a wrong size for " + file.name);
            }
            curlSeconds.push_back(curl.wallSeconds);
            serviceSeconds.push_back(service.wallSeconds);
            curlCpu.push_back(curl.cpuSeconds);
            serviceCpu.push_back(service.cpuSeconds);
            servicePeakKb = std::max(servicePeakKb, peakKb);
            serviceMaxRssKb = std::max(serviceMaxRssKb, service.maxRssKb);
            curlMaxRssKb = std::max(curlMaxRssKb, curl.maxRssKb);
            std::printf(
                "run %d: curl %.3f s (cpu %.3f s), service %.3f s (cpu %.3f s, %.3f s inside "
                "the request)\n",
                run + 1, curl.wallSeconds, curl.cpuSeconds, service.wallSeconds, service.cpuSeconds,
                insideSeconds);
        }

        double curlBest = *std::min_element(curlSeconds.begin(), curlSeconds.end());
        double serviceBest = *std::min_element(serviceSeconds.begin(), serviceSeconds.end());
        double curlTime = median(curlSeconds);
        double serviceTime = median(serviceSeconds);
        double curlRate = totalBytes / curlTime / 1e6;
        double serviceRate = totalBytes / serviceTime / 1e6;
        double ratio = serviceRate / curlRate;
        double peakMb = servicePeakKb / 1024.0;
        std::printf("\npack: %.1f MB in %zu files, %d runs, medians:\n", totalBytes / 1e6,
                    manifest.files().size(), runs);
        std::printf("curl (download to disk):                  %8.1f MB/s  (%.3f s)\n", curlRate,
                    curlTime);
        std::printf("ContentService (fetch, verify, install):  %8.1f MB/s  (%.3f s)\n", serviceRate,
                    serviceTime);
        std::printf("throughput ratio service/curl:            %8.2f   target >= %.1f  %s\n", ratio,
                    kTargetRatio, ratio >= kTargetRatio ? "met" : "MISSED");
        std::vector<double> ratios;
        for (std::size_t i = 0; i < curlSeconds.size(); ++i)
            ratios.push_back(curlSeconds[i] / serviceSeconds[i]);
        std::sort(ratios.begin(), ratios.end());
        std::printf(
            "spread of the %d runs' ratios (each run's pair side by side): %.2f to %.2f, "
            "middle half %.2f to %.2f\n",
            runs, ratios.front(), ratios.back(), ratios[ratios.size() / 4],
            ratios[ratios.size() * 3 / 4]);
        std::printf("best runs: curl %.1f MB/s, service %.1f MB/s, ratio %.2f\n",
                    totalBytes / curlBest / 1e6, totalBytes / serviceBest / 1e6,
                    curlBest / serviceBest);
        std::printf("median CPU time: curl %.3f s, service %.3f s\n", median(curlCpu),
                    median(serviceCpu));
        std::printf("load average at the end: %s", packfixtures::readFile("/proc/loadavg").c_str());
        std::printf("service fetch peak RSS (VmHWM):           %8.1f MB  target < %.0f MB  %s\n",
                    peakMb, kTargetPeakMb, peakMb < kTargetPeakMb ? "met" : "MISSED");
        std::printf("  ru_maxrss: service child %.1f MB, curl %.1f MB\n", serviceMaxRssKb / 1024.0,
                    curlMaxRssKb / 1024.0);
        double check = signatureCheckSeconds(work.path());
        std::printf("signature check of the manifest (once per request): %.1f us, %.4f%% of the "
                    "median service fetch\n",
                    check * 1e6, 100.0 * check / serviceTime);
        measureResume(self, base, work.path(), totalBytes);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "bench_download: " << error.what() << "\n";
        return 1;
    }
}
