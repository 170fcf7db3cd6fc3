// bench_download: how fast ContentService fetches, verifies and installs a pack against the
// limits of that work, and how much memory it needs.
//
//   bench_download [--size-mb N] [--files N] [--small-files N] [--small-size-mb N] [--runs N]
//
// Makes two packs of random files, a large one (200 MiB in 4 files) and one of many small
// files (100 MiB in 5,000), serves them with nginx on 127.0.0.1, then runs in turn, run by run:
// `curl` writing the files to disk (one connection, the files listed in a config file),
// `openssl dgst -sha256` of the same files, and a ContentService request in a child process
// (so its time, CPU and peak memory are its own). The service both transfers and hashes, so
// its limit is the slower of the two anchors; its CPU is set against theirs added together.
// Targets: median throughput at least 0.95 of the limit, CPU at most 1.1 of curl's and the
// hash's; against plain curl, reported. For the large pack also: service peak RSS < 32 MB, and
// a request cut at 90 % of the pack (the service is destroyed, as when the application quits)
// after which the next request receives at most the remainder + 1 MiB.

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
#include "packs/ContentService.h"
#include "packs/PackBuilder.h"
#include "packs/PackSignature.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

extern char** environ;

namespace {

constexpr const char* kTag = "Bench";
constexpr double kTargetLimitRatio = 0.95;
constexpr double kTargetCpuRatio = 1.1;
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
        std::ofstream output(folder / ("part-" + std::to_string(i) + ".bin"), std::ios::binary);
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

// CPU seconds a process has run so far, to the nanosecond (/proc/PID/schedstat).
double processCpuSeconds(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double nanoseconds = 0;
    schedstat >> nanoseconds;
    return nanoseconds / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "lowest to highest, middle half a to b" of a set of per-run figures.
std::string spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    char text[128];
    std::snprintf(text, sizeof text, "%.2f to %.2f, middle half %.2f to %.2f", values.front(),
                  values.back(), values[values.size() / 4], values[values.size() * 3 / 4]);
    return text;
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

// One pack served by nginx and its three ways of fetching it: curl, the hash, the service.
struct BenchPack {
    std::string label;
    std::filesystem::path folder;  // the pack's own scratch: source, www, caches, lists
    PackManifest manifest;
    double totalBytes = 0;
    std::vector<std::string> curlCommand;
    std::vector<std::string> hashCommand;
};

BenchPack makePack(const std::string& label, const std::filesystem::path& work, std::size_t sizeMb,
                   int files) {
    std::cout << label << ": making a " << sizeMb << " MiB pack of " << files << " files...\n"
              << std::flush;
    const auto folder = work / label;
    makeSourceFiles(folder / "source", sizeMb * 1024 * 1024, files);
    std::filesystem::create_directories(folder / "keys");
    PublisherKey::generate(folder / "bench.key", folder / "keys" / "bench.pub");
    auto manifest = PackBuilder::build(folder / "source", folder / "www" / kTag, kTag,
                                       PublisherKey(folder / "bench.key"));
    const double totalBytes = static_cast<double>(manifest.totalSize());
    return BenchPack{label, folder, std::move(manifest), totalBytes, {}, {}};
}

// The anchors' commands: curl reads its URLs from a config file, openssl its files from a
// list through xargs, so a pack of any number of files fits on their command lines.
void writeAnchorCommands(BenchPack& pack, const std::string& base) {
    std::ofstream config(pack.folder / "curl.config");
    std::ofstream list(pack.folder / "hash.list");
    for (const auto& file : pack.manifest.files()) {
        config << "url = \"" << base << "/" << kTag << "/" << file.name << "\"\n"
               << "output = \"" << (pack.folder / "curl-out" / file.name).string() << "\"\n";
        list << (pack.folder / "www" / kTag / file.name).string() << "\n";
    }
    pack.curlCommand = {"curl",
                        "--silent",
                        "--show-error",
                        "--fail",
                        "--create-dirs",
                        "--config",
                        (pack.folder / "curl.config").string()};
    pack.hashCommand = {"xargs",   "-a",   (pack.folder / "hash.list").string(),
                        "openssl", "dgst", "-sha256"};
}

struct PackFigures {
    bool met = true;
    long servicePeakKb = 0;
    double serviceSeconds = 0;
};

PackFigures measurePack(const BenchPack& pack, const std::string& self, const std::string& base,
                        pid_t server, int runs) {
    const auto& name = pack.label;
    std::vector<std::string> fetchCommand = {self, "--fetch", base,
                                             (pack.folder / "cache").string()};
    std::vector<double> curlSeconds, hashSeconds, serviceSeconds, curlCpu, hashCpu, serviceCpu;
    std::vector<double> curlRatios, limitRatios, cpuRatios, serverCpu;
    PackFigures figures;
    long serviceMaxRssKb = 0, curlMaxRssKb = 0;
    for (int run = 0; run < runs; ++run) {
        // No side should pay for another's dirty pages.
        std::filesystem::remove_all(pack.folder / "curl-out");
        std::filesystem::remove_all(pack.folder / "cache");
        ::sync();
        auto curl = runChild(pack.curlCommand, pack.folder);
        if (curl.exitStatus != 0)
            throw std::runtime_error("curl failed (is the curl package installed?)");
        for (const auto& file : pack.manifest.files()) {
            if (std::filesystem::file_size(pack.folder / "curl-out" / file.name) != file.size)
                throw std::runtime_error("curl fetched a wrong size for " + file.name);
        }
        ::sync();
        auto hash = runChild(pack.hashCommand, pack.folder);
        if (hash.exitStatus != 0)
            throw std::runtime_error("openssl dgst failed (is the openssl package installed?)");
        ::sync();
        const double serverBefore = processCpuSeconds(server);
        auto service = runChild(fetchCommand, pack.folder);
        serverCpu.push_back(processCpuSeconds(server) - serverBefore);
        if (service.exitStatus != 0)
            throw std::runtime_error("the service fetch failed");
        std::istringstream reported(service.out);
        double insideSeconds = 0;
        long peakKb = 0;
        reported >> insideSeconds >> peakKb;
        for (const auto& file : pack.manifest.files()) {
            if (std::filesystem::file_size(pack.folder / "cache" / "packs" / kTag / file.name) !=
                file.size)
                throw std::runtime_error("the service installed a wrong size for " + file.name);
        }
        curlSeconds.push_back(curl.wallSeconds);
        hashSeconds.push_back(hash.wallSeconds);
        serviceSeconds.push_back(service.wallSeconds);
        curlCpu.push_back(curl.cpuSeconds);
        hashCpu.push_back(hash.cpuSeconds);
        serviceCpu.push_back(service.cpuSeconds);
        curlRatios.push_back(curl.wallSeconds / service.wallSeconds);
        limitRatios.push_back(std::max(curl.wallSeconds, hash.wallSeconds) / service.wallSeconds);
        cpuRatios.push_back(service.cpuSeconds / (curl.cpuSeconds + hash.cpuSeconds));
        figures.servicePeakKb = std::max(figures.servicePeakKb, peakKb);
        serviceMaxRssKb = std::max(serviceMaxRssKb, service.maxRssKb);
        curlMaxRssKb = std::max(curlMaxRssKb, curl.maxRssKb);
        std::printf(
            "%s run %d: curl %.3f s (cpu %.3f s), sha-256 %.3f s (cpu %.3f s), service %.3f s "
            "(cpu %.3f s, %.3f s inside the request)\n",
            name.c_str(), run + 1, curl.wallSeconds, curl.cpuSeconds, hash.wallSeconds,
            hash.cpuSeconds, service.wallSeconds, service.cpuSeconds, insideSeconds);
    }

    const double mb = pack.totalBytes / 1e6;
    const double curlTime = median(curlSeconds), hashTime = median(hashSeconds);
    const double serviceTime = median(serviceSeconds);
    const double limitTime = median([&] {
        std::vector<double> limits;
        for (std::size_t i = 0; i < curlSeconds.size(); ++i)
            limits.push_back(std::max(curlSeconds[i], hashSeconds[i]));
        return limits;
    }());
    const double limitRatio = limitTime / serviceTime;
    const double cpuRatio = median(serviceCpu) / (median(curlCpu) + median(hashCpu));
    figures.serviceSeconds = serviceTime;
    figures.met = limitRatio >= kTargetLimitRatio && cpuRatio <= kTargetCpuRatio;
    std::printf("\n%s: %.1f MB in %zu files, %d runs, medians:\n", name.c_str(), mb,
                pack.manifest.files().size(), runs);
    std::printf("%s: curl (transfer to disk)                 %8.1f MB/s  (%.3f s)\n", name.c_str(),
                mb / curlTime, curlTime);
    std::printf("%s: openssl dgst -sha256 (hash only)         %8.1f MB/s  (%.3f s)\n", name.c_str(),
                mb / hashTime, hashTime);
    std::printf("%s: ContentService (fetch, verify, install)  %8.1f MB/s  (%.3f s)\n", name.c_str(),
                mb / serviceTime, serviceTime);
    std::printf("%s: throughput against curl: ratio %.2f (reference: curl verifies nothing)\n",
                name.c_str(), curlTime / serviceTime);
    std::printf(
        "%s: throughput against the limit: %.1f MB/s against %.1f MB/s (the slower of "
        "curl and the hash, run by run): ratio %.2f (target at least %.2f): %s\n",
        name.c_str(), mb / serviceTime, mb / limitTime, limitRatio, kTargetLimitRatio,
        limitRatio >= kTargetLimitRatio ? "met" : "MISSED");
    std::printf(
        "%s: CPU against curl's and the hash's: %.3f s against %.3f s + %.3f s: ratio "
        "%.2f (target at most %.1f): %s\n",
        name.c_str(), median(serviceCpu), median(curlCpu), median(hashCpu), cpuRatio,
        kTargetCpuRatio, cpuRatio <= kTargetCpuRatio ? "met" : "MISSED");
    std::printf(
        "%s: spread over the %d runs (each run's figures side by side): against the "
        "limit %s; CPU %s; against curl %s\n",
        name.c_str(), runs, spread(limitRatios).c_str(), spread(cpuRatios).c_str(),
        spread(curlRatios).c_str());
    // The server shares this machine's cores: the work cannot take less wall time than all its
    // CPU (transfer, hash, serving) spread over every core.
    const double cores = static_cast<double>(std::thread::hardware_concurrency());
    const double busy = median(curlCpu) + median(hashCpu) + median(serverCpu);
    std::printf(
        "%s: with the server on this machine: curl's, the hash's and the server's CPU "
        "(%.3f s) over %.0f cores take at least %.3f s; the service at %.2f of the larger "
        "of that and the limit above (reported)\n",
        name.c_str(), busy, cores, busy / cores, std::max(limitTime, busy / cores) / serviceTime);
    std::printf("%s: ru_maxrss: service child %.1f MB, curl %.1f MB\n", name.c_str(),
                serviceMaxRssKb / 1024.0, curlMaxRssKb / 1024.0);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--fetch")
        return runFetch(argv[2], argv[3]);
    if (argc == 6 && std::string(argv[1]) == "--fetch-cut")
        return runFetch(argv[2], argv[3], std::stod(argv[4]), std::stod(argv[5]));

    std::size_t sizeMb = 200, smallSizeMb = 100;
    int files = 4, smallFiles = 5000;
    int runs = 11;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--size-mb")
            sizeMb = std::stoul(argv[i + 1]);
        else if (option == "--files")
            files = std::stoi(argv[i + 1]);
        else if (option == "--small-size-mb")
            smallSizeMb = std::stoul(argv[i + 1]);
        else if (option == "--small-files")
            smallFiles = std::stoi(argv[i + 1]);
        else if (option == "--runs")
            runs = std::stoi(argv[i + 1]);
        else {
            std::cerr << "usage: bench_download [--size-mb N] [--files N] [--small-size-mb N] "
                         "[--small-files N] [--runs N]\n";
            return 2;
        }
    }

    try {
        TempDirectory work("larkspire-bench");
        BenchPack large = makePack("large", work.path(), sizeMb, files);
        BenchPack small = makePack("small", work.path(), smallSizeMb, smallFiles);
        std::filesystem::create_directories(work / "www");
        for (const BenchPack* pack : {&large, &small})
            std::filesystem::create_directory_symlink(pack->folder / "www",
                                                      work / "www" / pack->label);
        NginxServer nginx(work / "www");
        std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        for (BenchPack* pack : {&large, &small})
            writeAnchorCommands(*pack, nginx.url() + "/" + pack->label);

        PackFigures largeFigures =
            measurePack(large, self, nginx.url() + "/large", nginx.pid(), runs);
        PackFigures smallFigures =
            measurePack(small, self, nginx.url() + "/small", nginx.pid(), runs);
        std::printf("load average at the end: %s", packfixtures::readFile("/proc/loadavg").c_str());
        const double peakMb = largeFigures.servicePeakKb / 1024.0;
        std::printf("large: service fetch peak RSS (VmHWM): %.1f MB  target < %.0f MB  %s\n",
                    peakMb, kTargetPeakMb, peakMb < kTargetPeakMb ? "met" : "MISSED");
        double check = signatureCheckSeconds(large.folder);
        std::printf(
            "signature check of the manifest (once per request): %.1f us, %.4f%% of the "
            "median service fetch of the large pack\n",
            check * 1e6, 100.0 * check / largeFigures.serviceSeconds);
        bool resumed = measureResume(self, nginx.url() + "/large", large.folder, large.totalBytes);
        return largeFigures.met && smallFigures.met && peakMb < kTargetPeakMb && resumed ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "bench_download: " << error.what() << "\n";
        return 1;
    }
}
