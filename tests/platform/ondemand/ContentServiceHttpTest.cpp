// The content service over HTTP: a real nginx once, then a server that misbehaves on purpose,
// cuts at random offsets, stalls, a fetching process killed outright, and a disk that fills.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <random>

#include "NginxServer.h"
#include "PackFixtures.h"
#include "Process.h"
#include "TempDirectory.h"
#include "platform/ondemand/PackStore.h"
#include "platform/ondemand/Sha256.h"

using namespace packfixtures;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

const std::vector<FileContent> kPack = {{"movie.mp4", randomBytes(400000, 11)},
                                        {"song one.mp3", randomBytes(20000, 12)},
                                        {"cover.png", randomBytes(5000, 13)}};

// Random draws are seeded per run and the seed is printed with any failure; setting
// LARKSPIRE_FAULT_SEED to it replays the same run.
std::uint32_t faultSeed() {
    const char* fixed = std::getenv("LARKSPIRE_FAULT_SEED");
    return fixed && *fixed ? static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 10))
                           : std::random_device{}();
}

}  // namespace

TEST(ContentServiceNginxTest, InstallsPacksFromARealServerAndMapsItsRefusal) {
    TempDirectory www, cache;
    const std::vector<FileContent> files = {{"LKSChapter14.mp4", randomBytes(500000, 1)},
                                            {"Song #1 (50% + more?).mp3", randomBytes(20000, 2)},
                                            {"Ünïcödé ✓ & ; = .mp3", "x"},
                                            {"empty", ""}};
    writePack(www.path(), "Video", files);
    // The packs media/CMakeLists.txt makes with larkspire-pack, served as they are built.
    fs::create_directory_symlink(fs::path(LARKSPIRE_PACKS_DIR) / "Audio", www / "Audio");
    std::unique_ptr<NginxServer> nginx;
    ASSERT_NO_THROW(nginx = std::make_unique<NginxServer>(www.path()));
    ContentService service(testOptions(nginx->url(), cache.path()));
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", files);
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    auto sources = fs::path(LARKSPIRE_MEDIA_PACKS_SOURCE) / "Audio";
    std::vector<FileContent> songs;
    for (const auto& name : listNames(sources))
        songs.push_back({name, readFile(sources / name)});
    expectPackInstalled(service, "Audio", songs);

    // nginx answers 403 for a file it cannot open for a reason other than absence.
    writePack(www.path(), "Other", files);
    fs::remove(www / "Other" / "empty");
    fs::create_symlink("empty", www / "Other" / "empty");
    EXPECT_EQ(fetchPack(service, "Other"), LKSOnDemandHTTPError);
    expectNothingTrusted(service, "Other");
}

TEST(ContentServiceHttpTest, EachServerFaultFailsInBoundedTimeLeavesNothingAndClears) {
    FaultyHttpServer server, silent(true);
    auto paths = servePack(server, "Video", kPack);
    TempDirectory cache;
    auto written = std::make_shared<std::atomic<std::size_t>>(0);
    auto options = testOptions(server.url(), cache.path());
    options.write = [written](int fd, const void* data, std::size_t size) {
        *written += size;
        return ::write(fd, data, size);
    };
    ContentService service(options);
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_EQ(server.connectionCount(), 1) << "the files of a pack share one connection";
    EXPECT_EQ(server.requestCount(paths[2].first), 1);

    const std::string& movie = kPack[0].bytes;
    auto flipped = movie;
    flipped[flipped.size() / 2] ^= 0x01;
    using R = FaultyHttpServer::Response;
    const struct {
        const char* what;
        std::size_t path;
        R response;
        long code;
        std::string url;
    } faults[] = {
        {"cut manifest", 0, R{200, paths[0].second, 20, {}}, LKSOnDemandNetworkError, {}},
        {"cut file", 1, R{200, movie, 150000, {}}, LKSOnDemandNetworkError, {}},
        {"403 file", 2, R{403, "no", {}, {}}, LKSOnDemandHTTPError, {}},
        {"404 manifest", 0, R{404, "", {}, {}}, NSBundleOnDemandResourceInvalidTagError, {}},
        {"404 file", 2, R{404, "", {}, {}}, LKSOnDemandHTTPError, {}},
        {"500 file", 1, R{500, "boom", {}, {}}, LKSOnDemandHTTPError, {}},
        {"503 manifest", 0, R{503, "later", {}, {}}, LKSOnDemandHTTPError, {}},
        {"headers then silence", 0, R{200, paths[0].second, {}, 0}, LKSOnDemandNetworkError, {}},
        {"silence mid-file", 1, R{200, movie, {}, 100000}, LKSOnDemandNetworkError, {}},
        {"flipped bytes", 1, R{200, flipped, {}, {}}, LKSOnDemandChecksumMismatchError, {}},
        {"honest short body", 1, R{200, movie.substr(1), {}, {}}, LKSOnDemandSizeMismatchError, {}},
        {"oversized body",
         2,
         R{200, std::string(8 << 20, 'x'), {}, {}},
         LKSOnDemandSizeMismatchError,
         {}},
        {"silent server", 0, R{}, LKSOnDemandNetworkError, silent.url()},
        {"nobody listening", 0, R{}, LKSOnDemandNetworkError, unreachableBaseUrl()},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fs::remove_all(service.bundleDirectory("Video"));
        *written = 0;
        auto opts = options;
        opts.baseUrl = fault.url.empty() ? server.url() : fault.url;
        ContentService faulty(opts);
        if (fault.url.empty())
            server.route(paths[fault.path].first, fault.response);
        auto started = Clock::now();
        EXPECT_EQ(fetchPack(faulty, "Video"), fault.code);
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(8));
        EXPECT_LE(written->load(), movie.size() + 25000) << "bytes past a file's size were kept";
        expectNothingTrusted(faulty, "Video");
        servePack(server, "Video", kPack);
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kPack);
    }
}

TEST(ContentServiceHttpTest, AConnectionCutAtTenRandomOffsetsInAPack) {
    FaultyHttpServer server;
    auto stream = servePack(server, "Video", kPack);
    std::size_t total = 0;
    for (const auto& part : stream)
        total += part.second.size();
    auto seed = faultSeed();
    SCOPED_TRACE("replay with LARKSPIRE_FAULT_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    for (int i = 0; i < 10; ++i) {
        std::size_t offset = std::uniform_int_distribution<std::size_t>(0, total - 1)(random);
        auto cut = stream.begin();
        for (; offset >= cut->second.size(); ++cut)
            offset -= cut->second.size();
        SCOPED_TRACE("cut after byte " + std::to_string(offset) + " of " + cut->first);
        server.route(cut->first, {200, cut->second, offset, {}});
        TempDirectory cache;
        ContentService service(testOptions(server.url(), cache.path()));
        EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
        expectNothingTrusted(service, "Video");
        servePack(server, "Video", kPack);
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kPack);
    }
}

namespace {

// A stand-in for the main queue: blocks posted from any thread run in order on the thread
// that turns the loop; it records how long its longest turn took.
class MainLoop {
public:
    void post(std::function<void()> block) {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    bool runUntil(const std::function<bool()>& done, std::chrono::seconds timeout) {
        auto deadline = Clock::now() + timeout;
        for (auto last = Clock::now(); !done() && Clock::now() < deadline; ++turns) {
            std::deque<std::function<void()>> ready;
            {
                std::lock_guard lock(mutex_);
                ready.swap(blocks_);
            }
            for (auto& block : ready)
                block();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            longestTurn = std::max(longestTurn, Clock::now() - last);
            last = Clock::now();
        }
        return done();
    }
    int turns = 0;
    Clock::duration longestTurn{};

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> blocks_;
};

}  // namespace

TEST(ContentServiceHttpTest, AStalledServerFailsInBoundedTimeWhileTheCallerRunsOn) {
    FaultyHttpServer server;
    auto video = servePack(server, "Video", kPack);
    servePack(server, "Audio", {{"song.mp3", randomBytes(30000, 26)}});
    server.route(video[1].first, {200, kPack[0].bytes, {}, 100000});
    TempDirectory cache;
    auto options = testOptions(server.url(), cache.path());
    options.lowSpeedTime = std::chrono::seconds(2);
    ContentService service(options);
    MainLoop loop;
    // Completion order per request, as a screen would see it on the main queue.
    std::vector<std::pair<std::string, long>> outcomes;
    auto postTo = [&](std::string name) {
        return [&loop, &outcomes, name](std::shared_ptr<NSError> error) {
            long code = error ? error->code() : 0;
            loop.post([&outcomes, name, code] { outcomes.emplace_back(name, code); });
        };
    };
    auto started = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), postTo("stalled"));
    ASSERT_TRUE(loop.runUntil([&] { return server.requestCount(video[1].first) > 0; },
                              std::chrono::seconds(10)));
    auto callStarted = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), postTo("joined"));
    service.beginAccessing("Audio", NSProgress::make(), postTo("other"));
    EXPECT_LT(Clock::now() - callStarted, std::chrono::seconds(1))
        << "beginAccessing waited on a stalled transfer";
    ASSERT_TRUE(loop.runUntil([&] { return outcomes.size() == 3; }, std::chrono::seconds(15)))
        << "a stalled transfer never failed";
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    // Another tag's request does not wait behind the stalled one.
    using Outcomes = std::vector<std::pair<std::string, long>>;
    EXPECT_EQ(outcomes, (Outcomes{{"other", 0},
                                  {"stalled", LKSOnDemandNetworkError},
                                  {"joined", LKSOnDemandNetworkError}}));
    EXPECT_GT(loop.turns, 20) << "the loop did not keep turning during the stall";
    EXPECT_LT(loop.longestTurn, std::chrono::seconds(1)) << "one turn of the loop was held up";
    expectNothingTrusted(service, "Video");
}

TEST(ContentServiceHttpTest, DestroyingTheServiceCancelsARunningRequest) {
    FaultyHttpServer server;
    auto paths = servePack(server, "Video", kPack);
    server.route(paths[1].first, {200, kPack[0].bytes, {}, 1000});
    TempDirectory cache;
    auto options = testOptions(server.url(), cache.path());
    options.lowSpeedTime = std::chrono::seconds(60);  // only the cancellation can end it
    CompletionProbe probe;
    auto started = Clock::now();
    {
        ContentService service(options);
        service.beginAccessing("Video", NSProgress::make(), probe.handler());
        while (server.requestCount(paths[1].first) == 0 &&
               Clock::now() - started < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(probe.calls(), 1) << "the destructor waits for the completion";
    EXPECT_EQ(probe.errorCode(), LKSOnDemandNetworkError);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    auto staging = listNames(cache / "staging");  // at most what came before the cancellation
    EXPECT_TRUE(staging.empty() || staging == std::vector<std::string>{"Video.resume"});
}

namespace {

// The SHA-256 of each file of a pack folder but the install record, whose text depends on
// the boot. Empty when there is no such folder.
std::map<std::string, std::string> packDigests(const fs::path& folder) {
    std::map<std::string, std::string> digests;
    for (const auto& [name, bytes] : snapshotOf(folder)) {
        if (name != PackStore::kInstallRecordName)
            digests[name] = Sha256::hex(bytes.data(), bytes.size());
    }
    return digests;
}

}  // namespace

TEST(ContentServiceKillTest, AProcessKilledMidDownloadOrInstallNeverLeavesAPartialPack) {
    // Two versions of one pack, the installed one damaged before every run: each run replaces
    // a pack, so kills land in downloads and in the swap of the folders alike.
    TempDirectory servers, cache;
    const std::vector<std::vector<FileContent>> versions = {
        {{"LKSChapter14.mp4", randomBytes(3000000, 31)},
         {"LKSChapter15.mp4", randomBytes(1000000, 32)},
         {"cover.png", randomBytes(10000, 33)}},
        {{"LKSChapter14.mp4", randomBytes(2500000, 34)},
         {"LKSChapter16.mp4", randomBytes(1500000, 35)},
         {"cover.png", randomBytes(12000, 36)}}};
    std::vector<std::string> urls;
    std::vector<std::map<std::string, std::string>> intact;
    for (std::size_t v = 0; v < versions.size(); ++v) {
        writePack(servers / std::to_string(v), "Video", versions[v]);
        urls.push_back(fileUrl(servers / std::to_string(v)));
        TempDirectory reference;
        ContentService service(testOptions(urls.back(), reference.path()));
        ASSERT_EQ(fetchPack(service, "Video"), 0);
        intact.push_back(packDigests(service.bundleDirectory("Video")));
    }
    // The helper says a line once its service exists; kill moments count from then on, not
    // from its start-up, which sanitizers make long.
    auto fetch = [&](std::size_t version) {
        return std::make_unique<Process>(std::vector<std::string>{
            LARKSPIRE_FETCH_PROCESS, urls[version], cache.path().string(), "Video"});
    };
    Clock::duration fullRun;
    {
        auto process = fetch(0);
        ASSERT_TRUE(process->waitForOutput(std::chrono::seconds(30)));
        auto started = Clock::now();
        ASSERT_EQ(process->wait(), 0);
        fullRun = Clock::now() - started;
    }
    auto seed = faultSeed();
    SCOPED_TRACE("replay with LARKSPIRE_FAULT_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    // Stratified: every ten runs have one kill in each tenth of a run's span.
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(fullRun).count() * 11 / 10;
    auto bundle = cache / "packs" / "Video";
    int killedStaging = 0, run = 0;
    for (auto started = Clock::now();
         run < 60 && Clock::now() - started < std::chrono::seconds(40) &&
         (run < 10 || killedStaging == 0 || Clock::now() - started < std::chrono::seconds(4));
         ++run) {
        std::size_t version = static_cast<std::size_t>(run) % versions.size();
        if (fs::exists(bundle / "cover.png"))
            fs::resize_file(bundle / "cover.png", 1);
        auto before = packDigests(bundle);
        auto delay = std::chrono::microseconds(std::uniform_int_distribution<long long>(
            span * (run % 10) / 10, span * (run % 10 + 1) / 10)(random));
        SCOPED_TRACE("run " + std::to_string(run) + ", killed after " +
                     std::to_string(delay.count()) + " us");
        auto process = fetch(version);
        ASSERT_TRUE(process->waitForOutput(std::chrono::seconds(30)));
        std::this_thread::sleep_for(delay);
        process->kill();
        int status = process->wait();
        auto after = packDigests(bundle);
        killedStaging += status != 0 && after == before && !listNames(cache / "staging").empty();
        // Whatever the moment, the bundle is what it was, gone, or the whole new version.
        ASSERT_TRUE(after == before || after.empty() || after == intact[version])
            << "the bundle shows a partial pack";
        if (status == 0) {
            EXPECT_EQ(after, intact[version]);
        }
        // And a service that can fetch nothing trusts only a whole pack.
        ContentService offline(testOptions(unreachableBaseUrl(), cache.path()));
        EXPECT_EQ(fetchPack(offline, "Video") == 0, after == intact[version]);
        EXPECT_EQ(packDigests(bundle), after);
    }
    std::cout << "[   kills  ] " << run << " runs, " << killedStaging
              << " killed downloading or installing (seed " << seed << ")\n";
    EXPECT_GT(killedStaging, 0) << "no kill landed in a download";
    if (fs::exists(bundle / "cover.png"))  // else a whole pack from the last run is kept
        fs::resize_file(bundle / "cover.png", 1);
    ContentService service(testOptions(urls[1], cache.path()));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", versions[1]);
}

TEST(ContentServiceDiskTest, ARealDiskFillingUpMidDownloadIsOutOfSpace) {
    TempDirectory disk("larkspire-disk"), server;
    if (::mount("tmpfs", disk.path().c_str(), "tmpfs", 0, "size=1048576") != 0) {
        // No right to mount here: run this very test again as root of user and mount
        // namespaces of its own, where a tmpfs mount is allowed.
        ASSERT_EQ(std::getenv("LARKSPIRE_DISK_NAMESPACE"), nullptr)
            << "cannot mount a tmpfs even in a namespace of its own: " << std::strerror(errno);
        auto again = runProcess({"unshare", "--user", "--map-root-user", "--mount",
                                 fs::read_symlink("/proc/self/exe").string(),
                                 "--gtest_filter=ContentServiceDiskTest.*"},
                                {"LARKSPIRE_DISK_NAMESPACE=1"});
        EXPECT_EQ(again.status, 0) << again.output;
        EXPECT_NE(again.output.find("[  PASSED  ] 1 test"), std::string::npos) << again.output;
        return;
    }
    std::cout << "[   disk   ] a 1 MiB tmpfs"
              << (std::getenv("LARKSPIRE_DISK_NAMESPACE") ? " in a user namespace\n" : "\n");
    const std::vector<FileContent> files = {{"LKSChapter14.mp4", randomBytes(600000, 51)},
                                            {"LKSChapter15.mp4", randomBytes(700000, 52)}};
    writePack(server.path(), "Video", files);
    auto options = testOptions(fileUrl(server.path()), disk / "cache");
    // The free space the file system reports is too little: refused before any download.
    {
        ContentService service(options);
        EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
        expectNothingTrusted(service, "Video");
    }
    // Room that goes while the pack downloads, as when another program fills the disk: the
    // check before passes and the device itself runs out in the middle of the second file.
    auto written = std::make_shared<std::atomic<std::size_t>>(0);
    options.spaceProbe = [](const fs::path&) -> std::optional<std::uint64_t> { return 1 << 30; };
    options.write = [written](int fd, const void* data, std::size_t size) {
        ssize_t result = ::write(fd, data, size);
        *written += result > 0 ? static_cast<std::size_t>(result) : 0;
        return result;
    };
    ContentService service(options);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_GT(written->load(), files[0].bytes.size()) << "the disk filled up before the 2nd file";
    expectNothingTrusted(service, "Video");
    ASSERT_EQ(::mount(nullptr, disk.path().c_str(), nullptr, MS_REMOUNT, "size=8388608"), 0);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", files);
    ::umount2(disk.path().c_str(), MNT_DETACH);
}
