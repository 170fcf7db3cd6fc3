// The content service when delivery goes wrong in ways a test can only draw at random or
// arrange from outside: cuts anywhere in a pack, a fetching process killed outright, servers
// that stall or never answer while the caller goes on with its own work.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "FaultyHttpServer.h"
#include "OnDemandTestHelpers.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/Fetcher.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/PackStore.h"
#include "platform/ondemand/Sha256.h"

extern char** environ;

using packfixtures::FileContent;
using packfixtures::listNames;
using Clock = std::chrono::steady_clock;

namespace {

// Random draws are seeded per run and the seed is printed with any failure; setting
// LARKSPIRE_FAULT_SEED to it replays the same run.
std::uint32_t faultSeed() {
    if (const char* fixed = std::getenv("LARKSPIRE_FAULT_SEED"); fixed && *fixed)
        return static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 10));
    return std::random_device{}();
}

std::string seedNote(std::uint32_t seed) {
    return "replay with LARKSPIRE_FAULT_SEED=" + std::to_string(seed);
}

std::string sha256Of(const std::string& bytes) {
    return Sha256::hex(bytes.data(), bytes.size());
}

// A pack served from memory by the faulty server, in the order the service fetches it.
struct ServedPack {
    std::string tag;
    std::vector<FileContent> files;
    std::string manifestJson;

    ServedPack(std::string packTag, std::vector<FileContent> packFiles)
        : tag(std::move(packTag)), files(std::move(packFiles)) {
        std::vector<PackFile> entries;
        for (const auto& file : files)
            entries.push_back({file.name, file.bytes.size(), sha256Of(file.bytes)});
        manifestJson = PackManifest(tag, entries).toJson();
    }

    std::string manifestPath() const { return "/" + tag + "/manifest.json"; }
    std::string filePath(const FileContent& file) const {
        return "/" + tag + "/" + Fetcher::percentEncode(file.name);
    }
    void serve(FaultyHttpServer& server) const {
        server.route(manifestPath(), {200, manifestJson, {}, {}});
        for (const auto& file : files)
            server.route(filePath(file), {200, file.bytes, {}, {}});
    }
};

}  // namespace

TEST(ContentServiceResilienceTest, ConnectionCutAtTenRandomOffsetsInAPack) {
    ServedPack pack("Video", {{"movie.mp4", packfixtures::randomBytes(300000, 21)},
                              {"song one.mp3", packfixtures::randomBytes(20000, 22)},
                              {"cover.png", packfixtures::randomBytes(5000, 23)}});
    // The bytes of a pack as they come over the wire: manifest first, then each file.
    std::vector<std::pair<std::string, std::string>> stream = {
        {pack.manifestPath(), pack.manifestJson}};
    for (const auto& file : pack.files)
        stream.emplace_back(pack.filePath(file), file.bytes);
    std::size_t total = 0;
    for (const auto& [path, body] : stream)
        total += body.size();

    auto seed = faultSeed();
    SCOPED_TRACE(seedNote(seed));
    std::mt19937 random(seed);
    std::vector<std::size_t> offsets;
    for (int i = 0; i < 10; ++i)
        offsets.push_back(std::uniform_int_distribution<std::size_t>(0, total - 1)(random));
    std::sort(offsets.begin(), offsets.end());

    FaultyHttpServer server;
    for (std::size_t offset : offsets) {
        std::size_t local = offset;
        auto cut = stream.begin();
        while (local >= cut->second.size()) {
            local -= cut->second.size();
            ++cut;
        }
        SCOPED_TRACE("cut after byte " + std::to_string(offset) + " of the pack: byte " +
                     std::to_string(local) + " of " + cut->first);
        pack.serve(server);
        server.route(cut->first, {200, cut->second, local, {}});

        TempDirectory cache;
        auto options = testOptions(server.url(), cache.path());
        options.lowSpeedTime = std::chrono::seconds(1);
        ContentService service(options);
        EXPECT_EQ(fetchPack(service, pack.tag), LKSOnDemandNetworkError);
        expectFailureLeftNothingTrusted(service, pack.tag);

        pack.serve(server);
        EXPECT_EQ(fetchPack(service, pack.tag), 0);
        expectPackInstalled(service, pack.tag, pack.files);
    }
}

TEST(ContentServiceResilienceTest, HonestShortBodyIsSizeMismatch) {
    ServedPack pack("Video", {{"movie.mp4", packfixtures::randomBytes(200000, 24)}});
    FaultyHttpServer server;
    pack.serve(server);
    const auto& movie = pack.files[0].bytes;
    // A server whose copy of the file is shorter, and says so in Content-Length.
    server.route(pack.filePath(pack.files[0]), {200, movie.substr(0, movie.size() - 1), {}, {}});
    TempDirectory cache;
    ContentService service(testOptions(server.url(), cache.path()));
    EXPECT_EQ(fetchPack(service, pack.tag), LKSOnDemandSizeMismatchError);
    expectFailureLeftNothingTrusted(service, pack.tag);

    pack.serve(server);
    EXPECT_EQ(fetchPack(service, pack.tag), 0);
    expectPackInstalled(service, pack.tag, pack.files);
}

namespace {

// A stand-in for the main queue: blocks posted from any thread run in order on the thread
// that drives the loop, which keeps turning between them.
class MainLoop {
public:
    void post(std::function<void()> block) {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
        posted_.notify_one();
    }

    // Turns until `done` holds or `timeout` passes; returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        auto deadline = Clock::now() + timeout;
        auto last = Clock::now();
        while (!done() && Clock::now() < deadline) {
            std::deque<std::function<void()>> ready;
            {
                std::unique_lock lock(mutex_);
                posted_.wait_for(lock, std::chrono::milliseconds(10),
                                 [this] { return !blocks_.empty(); });
                ready.swap(blocks_);
            }
            for (auto& block : ready)
                block();
            auto now = Clock::now();
            longestTurn_ = std::max(longestTurn_, now - last);
            last = now;
            ++turns_;
        }
        return done();
    }

    int turns() const { return turns_; }
    Clock::duration longestTurn() const { return longestTurn_; }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> blocks_;
    int turns_ = 0;
    Clock::duration longestTurn_{};
};

// Records a request's outcome the way a screen does: the completion posts to the main loop.
struct PostedOutcome {
    bool done = false;
    long code = -1;
    int order = 0;  // 1 for the first request to complete, and so on
};

ResourceService::Completion postTo(MainLoop& loop, const std::shared_ptr<PostedOutcome>& outcome,
                                   const std::shared_ptr<int>& completed) {
    return [&loop, outcome, completed](std::shared_ptr<NSError> error) {
        long code = error ? error->code() : 0;
        loop.post([outcome, completed, code] {
            outcome->done = true;
            outcome->code = code;
            outcome->order = ++*completed;
        });
    };
}

}  // namespace

TEST(ContentServiceResilienceTest, StalledServerFailsInBoundedTimeWhileTheCallerRunsOn) {
    ServedPack video("Video", {{"movie.mp4", packfixtures::randomBytes(400000, 25)}});
    ServedPack audio("Audio", {{"song.mp3", packfixtures::randomBytes(30000, 26)}});
    FaultyHttpServer server;
    video.serve(server);
    audio.serve(server);
    server.route(video.filePath(video.files[0]), {200, video.files[0].bytes, {}, 100000});

    // Two seconds of stall: a caller held up by it would miss the one-second bounds below.
    TempDirectory cache;
    auto options = testOptions(server.url(), cache.path());
    options.lowSpeedTime = std::chrono::seconds(2);
    ContentService service(options);
    MainLoop loop;
    auto stalled = std::make_shared<PostedOutcome>();
    auto joined = std::make_shared<PostedOutcome>();
    auto other = std::make_shared<PostedOutcome>();
    auto completed = std::make_shared<int>(0);

    auto started = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), postTo(loop, stalled, completed));
    // The caller is never held up by the transfer: each call hands the work over and returns.
    ASSERT_TRUE(
        loop.runUntil([&] { return server.requestCount(video.filePath(video.files[0])) > 0; },
                      std::chrono::seconds(10)));
    auto callStarted = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), postTo(loop, joined, completed));
    service.beginAccessing("Audio", NSProgress::make(), postTo(loop, other, completed));
    EXPECT_LT(Clock::now() - callStarted, std::chrono::seconds(1))
        << "beginAccessing waited on a stalled transfer";

    ASSERT_TRUE(loop.runUntil([&] { return stalled->done && joined->done && other->done; },
                              std::chrono::seconds(15)))
        << "a stalled transfer never failed";
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(stalled->code, LKSOnDemandNetworkError);
    EXPECT_EQ(joined->code, LKSOnDemandNetworkError);
    EXPECT_EQ(other->code, 0);
    EXPECT_EQ(other->order, 1) << "another tag's request waited behind the stalled one";
    EXPECT_GT(loop.turns(), 20) << "the loop did not keep turning during the stall";
    EXPECT_LT(loop.longestTurn(), std::chrono::seconds(1)) << "one turn of the loop was held up";
    expectFailureLeftNothingTrusted(service, "Video");

    video.serve(server);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", video.files);
}

namespace {

// A server that takes connections (the kernel completes them into the backlog) and never
// reads a request nor sends a byte.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd_, 16) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("SilentServer cannot listen on 127.0.0.1");
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace

TEST(ContentServiceResilienceTest, ServerThatNeverAnswersFailsInBoundedTime) {
    SilentServer silent;
    TempDirectory cache;
    auto options = testOptions(silent.url(), cache.path());
    options.lowSpeedTime = std::chrono::seconds(1);
    ContentService service(options);
    auto started = Clock::now();
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    expectFailureLeftNothingTrusted(service, "Video");
}

namespace {

// A tmpfs of a given size mounted on a fresh folder for the length of a test: a disk that
// really fills up. Mounting needs root; where it is refused, the test says so and skips.
class SmallFileSystem {
public:
    explicit SmallFileSystem(std::size_t bytes) {
        auto options = "size=" + std::to_string(bytes);
        mounted_ = ::mount("tmpfs", folder_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                           options.c_str()) == 0;
        if (!mounted_)
            error_ = std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(folder_.path().c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return folder_.path(); }
    bool resize(std::size_t bytes) {
        auto options = "size=" + std::to_string(bytes);
        return ::mount(nullptr, folder_.path().c_str(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV,
                       options.c_str()) == 0;
    }

private:
    TempDirectory folder_{"larkspire-disk"};
    bool mounted_ = false;
    std::string error_;
};

}  // namespace

TEST(ContentServiceResilienceTest, RealDiskFillingUpMidDownloadIsOutOfSpace) {
    SmallFileSystem disk(1024 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.error();
    TempDirectory server("larkspire-server");
    std::vector<FileContent> files = {{"LKSChapter14.mp4", packfixtures::randomBytes(600000, 51)},
                                      {"LKSChapter15.mp4", packfixtures::randomBytes(700000, 52)}};
    packfixtures::writePack(server.path(), "Video", files);
    auto options = testOptions(packfixtures::fileUrl(server.path()), disk.path() / "cache");

    // The free space the file system reports is too little: refused before any download.
    {
        ContentService service(options);
        EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
        expectFailureLeftNothingTrusted(service, "Video");
    }

    // Room that goes while the pack downloads, as when another program fills the disk: the
    // check before passes and the device itself runs out in the middle of the second file.
    auto written = std::make_shared<std::atomic<std::size_t>>(0);
    options.spaceProbe = [](const std::filesystem::path&) -> std::optional<std::uint64_t> {
        return std::uint64_t{1} << 30;
    };
    options.write = [written](int fd, const void* data, std::size_t size) {
        ssize_t result = ::write(fd, data, size);
        if (result > 0)
            *written += static_cast<std::size_t>(result);
        return result;
    };
    ContentService service(options);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_GT(written->load(), files[0].bytes.size()) << "the disk filled up before the 2nd file";
    expectFailureLeftNothingTrusted(service, "Video");

    ASSERT_TRUE(disk.resize(8 * 1024 * 1024)) << std::strerror(errno);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", files);
}

namespace {

// The helper process fetching one pack, started with its standard output on a pipe: it
// writes a line there once its service exists, so kill moments are counted from then on and
// not spent on its start-up, which sanitizers make long.
class FetchProcess {
public:
    FetchProcess(const std::string& url, const std::filesystem::path& cache) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        readEnd_ = pipeFds[0];
        std::string executable = LARKSPIRE_FETCH_PROCESS;
        std::string cacheArgument = cache.string();
        std::string tag = "Video";
        std::vector<char*> argv = {executable.data(), const_cast<char*>(url.c_str()),
                                   cacheArgument.data(), tag.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        int failed =
            ::posix_spawn(&pid_, executable.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (failed != 0) {
            ::close(readEnd_);
            throw std::runtime_error("cannot run " + executable);
        }
    }
    ~FetchProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        ::close(readEnd_);
    }
    FetchProcess(const FetchProcess&) = delete;
    FetchProcess& operator=(const FetchProcess&) = delete;

    // False if the process ended or said nothing within `timeout`.
    bool waitUntilReady(std::chrono::milliseconds timeout) {
        pollfd ready{readEnd_, POLLIN, 0};
        char byte;
        return ::poll(&ready, 1, static_cast<int>(timeout.count())) == 1 &&
               ::read(readEnd_, &byte, 1) == 1;
    }
    void kill() { ::kill(pid_, SIGKILL); }
    // The exit status, or -1 when the process died of a signal.
    int wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int readEnd_ = -1;
};

// The SHA-256 of each file of a pack folder, leaving out the install record, whose text
// depends on the boot. Empty when there is no such folder.
std::map<std::string, std::string> packDigests(const std::filesystem::path& folder) {
    std::map<std::string, std::string> digests;
    for (const auto& name : listNames(folder)) {
        if (name != PackStore::kInstallRecordName)
            digests[name] = sha256Of(packfixtures::readFile(folder / name));
    }
    return digests;
}

}  // namespace

TEST(ContentServiceResilienceTest, ProcessKilledMidDownloadOrInstallNeverLeavesAPartialPack) {
    // Two versions of one pack on two servers, the installed one damaged before every run: each
    // run replaces a pack, so kills land in downloads and in the swap of the folders alike.
    TempDirectory servers("larkspire-server");
    std::vector<std::vector<FileContent>> versions = {
        {{"LKSChapter14.mp4", packfixtures::randomBytes(3000000, 31)},
         {"LKSChapter15.mp4", packfixtures::randomBytes(1000000, 32)},
         {"cover.png", packfixtures::randomBytes(10000, 33)}},
        {{"LKSChapter14.mp4", packfixtures::randomBytes(2500000, 34)},
         {"LKSChapter16.mp4", packfixtures::randomBytes(1500000, 35)},
         {"cover.png", packfixtures::randomBytes(12000, 36)}}};
    std::vector<std::string> urls;
    std::vector<std::map<std::string, std::string>> intact;
    for (std::size_t v = 0; v < versions.size(); ++v) {
        auto root = servers / ("v" + std::to_string(v));
        packfixtures::writePack(root, "Video", versions[v]);
        urls.push_back(packfixtures::fileUrl(root));
        TempDirectory reference;
        ContentService service(testOptions(urls.back(), reference.path()));
        ASSERT_EQ(fetchPack(service, "Video"), 0);
        intact.push_back(packDigests(service.bundleDirectory("Video")));
    }

    // How long a whole fetch takes here, so kills spread over all of it.
    Clock::duration fullRun{};
    {
        TempDirectory scratch;
        FetchProcess process(urls[0], scratch.path());
        ASSERT_TRUE(process.waitUntilReady(std::chrono::seconds(30)));
        auto started = Clock::now();
        ASSERT_EQ(process.wait(), 0);
        fullRun = Clock::now() - started;
    }

    auto seed = faultSeed();
    SCOPED_TRACE(seedNote(seed));
    std::mt19937 random(seed);
    // Stratified: every ten runs have one kill in each tenth of a run's span, so no phase of
    // a run goes untried however the draws fall.
    constexpr int kStrata = 10;
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(fullRun).count() * 11 / 10;
    auto moment = [&](int run) {
        long long stratum = run % kStrata;
        return std::chrono::microseconds(std::uniform_int_distribution<long long>(
            span * stratum / kStrata, span * (stratum + 1) / kStrata)(random));
    };

    TempDirectory cache;
    auto bundle = cache.path() / "packs" / "Video";
    auto damage = [&] {
        if (std::filesystem::exists(bundle / "cover.png"))
            std::filesystem::resize_file(bundle / "cover.png", 1);
    };
    int killedStaging = 0, killedAfterInstall = 0, killedBeforeStart = 0, finished = 0;
    // A few seconds of runs, at least a full round of strata and one kill in a download, and
    // a bound on all of it for slow (sanitized) builds.
    auto started = Clock::now();
    auto keepGoing = [&](int run) {
        auto elapsed = Clock::now() - started;
        if (run >= 60 || elapsed > std::chrono::seconds(40))
            return false;
        return run < kStrata || killedStaging == 0 || elapsed < std::chrono::seconds(4);
    };
    int run = 0;
    for (; keepGoing(run); ++run) {
        std::size_t version = static_cast<std::size_t>(run) % versions.size();
        damage();
        auto before = packDigests(bundle);
        auto delay = moment(run);
        SCOPED_TRACE("run " + std::to_string(run) + ", killed after " +
                     std::to_string(delay.count()) + " us");
        FetchProcess process(urls[version], cache.path());
        ASSERT_TRUE(process.waitUntilReady(std::chrono::seconds(30)));
        std::this_thread::sleep_for(delay);
        process.kill();
        int status = process.wait();

        auto after = packDigests(bundle);
        bool staged = !listNames(cache.path() / "staging").empty();
        if (status == 0)
            ++finished;
        else if (after != before)
            ++killedAfterInstall;
        else if (staged)
            ++killedStaging;
        else
            ++killedBeforeStart;

        // Whatever the moment, the bundle is what it was, gone, or the whole new version: never
        // a mix, never a part.
        ASSERT_TRUE(after == before || after.empty() || after == intact[version])
            << "the bundle shows a partial pack";
        if (status == 0) {
            EXPECT_EQ(after, intact[version]);
        }
        // And a service that can fetch nothing trusts only a whole pack.
        bool whole = after == intact[version];
        ContentService offline(testOptions(unreachableBaseUrl(), cache.path()));
        EXPECT_EQ(fetchPack(offline, "Video"), whole ? 0L : long{LKSOnDemandNetworkError});
        EXPECT_EQ(packDigests(bundle), after);
    }
    std::cout << "[   kills  ] " << run << " runs: " << killedStaging
              << " killed downloading or installing, " << killedAfterInstall
              << " killed once the new pack was in, " << killedBeforeStart
              << " killed before staging, " << finished << " finished (seed " << seed << ")\n";
    EXPECT_GT(killedStaging, 0) << "no kill landed in a download";

    damage();
    ContentService service(testOptions(urls[1], cache.path()));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", versions[1]);
}
