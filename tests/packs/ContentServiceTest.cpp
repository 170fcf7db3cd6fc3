// The content service: installing from file:// URLs, refusing, progress and concurrency; then
// over HTTP a real nginx once, a server that misbehaves on purpose, cuts at random offsets,
// stalls, a fetching process killed outright, and a disk that fills.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <iostream>
#include <random>

#include "NginxServer.h"
#include "PackFixtures.h"
#include "Process.h"
#include "TempDirectory.h"
#include "packs/Fetcher.h"
#include "packs/PackStore.h"
#include "packs/Sha256.h"
#include "platform/foundation/NSBundle.h"
#include "run/LazyContentService.h"

using namespace packfixtures;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

const std::vector<FileContent> kPack = {
    {"movie.mp4", randomBytes(400000, 11)},
    {"song one.mp3", randomBytes(20000, 12)},
    {"movie.en.vtt", "WEBVTT\n\n00:01.000 --> 00:03.000\nOnce upon a time.\n"}};

const std::vector<FileContent> kVideo = {{"LKSChapter14.mp4", randomBytes(70000, 1)},
                                         {"Chapter 15 #1 (50% ?).mp4", randomBytes(5000, 2)},
                                         {"Ünïcödé.mp3", "tiny"}};

class ContentServiceTest : public testing::Test {
protected:
    void SetUp() override { writePack(server(), "Video", kVideo); }
    ContentService::Options options() const { return testOptions(fileUrl(server()), cache()); }
    fs::path cache() const { return root_ / "cache"; }
    fs::path server() const { return root_ / "server"; }
    TempDirectory root_;
};

// Counts the bytes the service writes.
struct Writer {
    std::shared_ptr<std::atomic<std::size_t>> written =
        std::make_shared<std::atomic<std::size_t>>();
    ssize_t operator()(int fd, const void* data, std::size_t size) const {
        ssize_t result = ::write(fd, data, size);
        *written += result > 0 ? static_cast<std::size_t>(result) : 0;
        return result;
    }
};

// Every fractionCompleted reported; the service reports from its one worker.
struct Recorder : NSObject {
    void observeValueForKeyPath(const std::optional<std::string>&, const std::shared_ptr<NSObject>&,
                                const NSKeyValueChange& change, void*) override {
        values.push_back(change.newValue);
    }
    std::vector<double> values;
};

}  // namespace

TEST_F(ContentServiceTest, InstallsAPackWithProgressAndOneCompletionFromAWorker) {
    std::vector<FileContent> clips;
    for (int i = 0; i < 400; ++i)
        clips.push_back({"clip" + std::to_string(i) + ".bin", randomBytes(3000, i)});
    writePack(server(), "Clips", clips);
    ContentService service(options());
    auto progress = NSProgress::make();
    auto recorder = std::make_shared<Recorder>();
    progress->addObserver(recorder, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    CompletionProbe probe;
    service.beginAccessing("Clips", progress, probe.handler());
    ASSERT_TRUE(probe.wait());
    EXPECT_EQ(probe.errorCode(), 0);
    EXPECT_NE(probe.thread(), std::this_thread::get_id());
    expectPackInstalled(service, "Clips", clips);

    // Many more chunks than steps: rising, in at most a hundred steps.
    auto values = recorder->values;
    ASSERT_GE(values.size(), 50u);
    EXPECT_LE(values.size(), 101u);
    EXPECT_EQ(values.back(), 1.0);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i], values[i - 1]) << "at update " << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(probe.calls(), 1);
}

TEST_F(ContentServiceTest, TagsThatWouldLeaveTheCacheAreRefusedWithoutWritingAnything) {
    ContentService service(options());
    for (const std::string tag : {"../Video", "a/b", "/etc", ".hidden", "", "..", "."}) {
        EXPECT_EQ(fetchPack(service, tag), NSBundleOnDemandResourceInvalidTagError) << tag;
        EXPECT_EQ(fs::path(service.bundleDirectory(tag)).parent_path(), cache() / "packs") << tag;
    }
    EXPECT_FALSE(fs::exists(cache())) << "nothing may be written for a refused tag";
}

TEST_F(ContentServiceTest, AnInstalledPackIsTrustedOnlyWhileIntactAndCheckedOnceAfterAReboot) {
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    auto folder = fs::path(service.bundleDirectory("Video"));
    auto record = folder / PackStore::kInstallRecordName;
    ASSERT_FALSE(PackStore::currentBootId().empty()) << "Linux tells its boot id";
    // The record's second line says whether the bytes are sound; the rest binds each file.
    auto soundLine = [&](std::optional<std::string> replacement = {}) {
        auto text = readFile(record);
        auto start = text.find('\n') + 1, length = text.find('\n', start) - start;
        std::string line = text.substr(start, length);
        if (replacement)
            writeFile(record, text.replace(start, length, *replacement));
        return line;
    };
    EXPECT_EQ(soundLine(), "installed in boot " + PackStore::currentBootId());
    const std::string earlierBoot = "installed in boot 00000000-0000-0000-0000-000000000000";

    // Intact: no network, no write.
    auto offline = testOptions(unreachableBaseUrl(), cache());
    Writer writer;
    offline.write = writer;
    ContentService offlineService(offline);
    EXPECT_EQ(fetchPack(offlineService, "Video"), 0);

    // Damaged in ways a size check sees, or (after a reboot) only the checksum does; whether
    // the pack is still listed (which reads no contents) and the chapter still looked up.
    const auto outside = root_ / "outside.mp4";
    const struct {
        const char* what;
        std::function<void()> damage;
        bool listed, found;
    } damages[] = {
        {"file removed", [&] { fs::remove(folder / "Ünïcödé.mp3"); }, false, true},
        {"record garbled", [&] { writeFile(folder / ".manifest.json", "garbage"); }, false, true},
        // The very bytes, but outside the cache: neither trusted nor handed to a player.
        {"file links outside",
         [&] {
             writeFile(outside, kVideo[0].bytes);
             fs::remove(folder / "LKSChapter14.mp4");
             fs::create_symlink(outside, folder / "LKSChapter14.mp4");
         },
         false, false},
        {"file swapped, copy rewritten to match",
         [&] {
             auto swapped = kVideo;
             swapped[2].bytes = "TINY";
             writeFile(folder / swapped[2].name, swapped[2].bytes);
             writeFile(folder / PackManifest::kInstalledFileName, manifestOf("Video", swapped));
         },
         true, true},
        {"bytes lost in a crash",
         [&] {
             auto bytes = kVideo[0].bytes;
             bytes[123] ^= 0x10;
             writeFile(folder / "LKSChapter14.mp4", bytes);
             soundLine(earlierBoot);
         },
         true, true},
        {"same-size bytes swapped under a record saying they were checked",
         [&] { soundLine("verified"), writeFile(folder / "Ünïcödé.mp3", "TINY"); }, true, true},
    };
    for (const auto& [what, damage, listed, found] : damages) {
        SCOPED_TRACE(what);
        damage();
        EXPECT_EQ(service.installedPacks().size(), listed ? 1u : 0u);
        EXPECT_EQ(NSBundle(folder.string()).pathForResource("LKSChapter14", "mp4").has_value(),
                  found);
        EXPECT_NE(fetchPack(offlineService, "Video"), 0);
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kVideo);
    }
    EXPECT_EQ(readFile(outside), kVideo[0].bytes) << "the file a link pointed to was touched";

    // Sound data from an earlier boot: checked without network, then recorded as verified.
    soundLine(earlierBoot);
    EXPECT_EQ(fetchPack(offlineService, "Video"), 0);
    EXPECT_EQ(soundLine(), "verified");
    EXPECT_EQ(writer.written->load(), 0u);
}

TEST_F(ContentServiceTest, TheApplicationListsAndRemovesPacksWithoutTheNetworkModule) {
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    auto folder = fs::path(service.bundleDirectory("Video"));
    std::uint64_t bytes = fs::file_size(folder / PackManifest::kInstalledFileName) +
                          fs::file_size(folder / PackManifest::kInstalledSignatureName);
    for (const auto& file : kVideo)
        bytes += file.bytes.size();
    // Loading a module that is not there would fail: no call below may need it.
    auto lazy = lazyContentService(options(), "/nonexistent/larkspire-ondemand.so");
    auto packs = lazy->installedPacks();
    ASSERT_EQ(packs.size(), 1u);
    EXPECT_EQ(packs[0].tag, "Video");
    EXPECT_EQ(packs[0].bytes, bytes);
    EXPECT_TRUE(lazy->availableSpace().has_value());
    lazy->removePack("Video");
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(ContentServiceTest, ConcurrentRequestsForOneTagShareOneDownload) {
    // Holds the first write until the second request is in, so the two overlap for sure.
    std::promise<void> writing, secondAsked;
    std::once_flag held;
    Writer writer;
    auto opts = options();
    opts.write = [&, asked = secondAsked.get_future().share()](int fd, const void* data,
                                                               std::size_t size) {
        std::call_once(held,
                       [&] { writing.set_value(), asked.wait_for(std::chrono::seconds(10)); });
        return writer(fd, data, size);
    };
    ContentService service(opts);
    CompletionProbe first, second;
    auto firstProgress = NSProgress::make(), secondProgress = NSProgress::make();
    service.beginAccessing("Video", firstProgress, first.handler());
    ASSERT_EQ(writing.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    service.beginAccessing("Video", secondProgress, second.handler());
    secondAsked.set_value();
    ASSERT_TRUE(first.wait() && second.wait());
    EXPECT_EQ(first.errorCode() + second.errorCode(), 0);
    EXPECT_EQ(firstProgress->fractionCompleted(), 1.0);
    EXPECT_EQ(secondProgress->fractionCompleted(), 1.0);
    expectPackInstalled(service, "Video", kVideo);
    // One download's worth: the files and the manifest copy, once.
    std::size_t installed = 0;
    for (const auto& [name, bytes] : snapshotOf(service.bundleDirectory("Video")))
        installed += name == PackStore::kInstallRecordName ? 0 : bytes.size();
    EXPECT_EQ(writer.written->load(), installed);
}

TEST(ContentServiceNginxTest, InstallsPacksFromARealServerAndMapsItsRefusal) {
    TempDirectory www, cache;
    const std::vector<FileContent> files = {{"LKSChapter14.mp4", randomBytes(500000, 1)},
                                            {"Song #1 (50% + more?).mp3", randomBytes(20000, 2)},
                                            {"Ünïcödé ✓ & ; = .mp3", "x"},
                                            {"empty", ""}};
    writePack(www.path(), "Video", files);
    // The packs media/CMakeLists.txt makes with larkspire-pack, served as they are built and
    // signed by the build's key, trusted beside the tests' own.
    fs::create_directory_symlink(fs::path(LARKSPIRE_PACKS_DIR) / "Audio", www / "Audio");
    std::unique_ptr<NginxServer> nginx;
    ASSERT_NO_THROW(nginx = std::make_unique<NginxServer>(www.path()));
    auto options = testOptions(nginx->url(), cache.path(), cache / "keys");
    fs::copy(trustedKeys(), options.trustedKeys);
    fs::copy(LARKSPIRE_KEYS_DIR, options.trustedKeys);
    ContentService service(options);
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

// Every pack of these tests is made with the service's own digest and escapes: they are checked
// against known values here. The manifest's rules are checked against a reference by
// fuzz/manifest_fuzzer.cpp, and the names that matter most in the table below.
TEST(ContentServiceHttpTest, DigestsAndEscapesAreTheStandardOnes) {
    const char* hashOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(Sha256::hex("abc", 3), hashOfAbc);
    Sha256 pieces;
    pieces.update("a", 1);
    pieces.update("bc", 2);
    EXPECT_EQ(pieces.finishHex(), hashOfAbc);
    EXPECT_EQ(Fetcher::percentEncode("a b%c#d?e+f&g\xc3\xa9"), "a%20b%25c%23d%3Fe%2Bf%26g%C3%A9");
}

TEST(ContentServiceHttpTest, EachServerFaultFailsInBoundedTimeLeavesNothingAndClears) {
    FaultyHttpServer server;
    auto paths = servePack(server, "Video", kPack);
    TempDirectory cache;
    Writer writer;
    auto options = testOptions(server.url(), cache.path());
    options.write = writer;
    ContentService service(options);
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_EQ(server.connectionCount(), 1) << "the files of a pack share one connection";
    EXPECT_EQ(server.requestCount(paths[2].first), 1);

    const std::string& movie = kPack[0].bytes;
    auto flipped = movie;
    flipped[flipped.size() / 2] ^= 0x01;
    using R = FaultyHttpServer::Response;
    auto at = [&](std::size_t path) { return server.url() + paths[path].first + ": "; };
    const std::string tooSlow = "too slow: less than 1024 bytes/s over 1 s",
                      nowhere = unreachableBaseUrl();
    struct Fault {
        const char* what;
        std::size_t path;
        R response;
        long code;
        FailureCause cause;  // what the panel says
        std::string says;    // in the description
        std::string url = {};
    };
    using C = FailureCause;
    std::vector<Fault> faults = {
        {"cut file", 1, R{200, movie, 150000}, LKSOnDemandNetworkError, C::connectionCut,
         at(1) + "the connection was cut ("},
        {"403 file", 2, R{403, "no"}, LKSOnDemandHTTPError, C::serverRefused,
         at(2) + "HTTP status 403"},
        {"404 file", 2, R{404, ""}, LKSOnDemandHTTPError, C::notOnServer,
         at(2) + "HTTP status 404"},
        {"manifest not JSON", 0, R{200, "<html>oops</html>"}, LKSOnDemandBadManifestError,
         C::damagedDownload, at(0) + "bad pack manifest: not valid JSON"},
        {"older format", 0, R{200, "{\"format\":0,\"tag\":\"Video\",\"files\":[]}"},
         LKSOnDemandBadManifestError, C::damagedDownload,
         at(0) + "bad pack manifest: \"format\" is not 1"},
        {"404 manifest", 0, R{404, ""}, NSBundleOnDemandResourceInvalidTagError, C::notOnServer,
         at(0) + "HTTP status 404"},
        {"500 file", 1, R{500, "boom"}, LKSOnDemandHTTPError, C::serverRefused,
         at(1) + "HTTP status 500"},
        {"headers then silence", 0, R{200, paths[0].second, {}, 0}, LKSOnDemandNetworkError,
         C::tooSlow, at(0) + tooSlow},
        {"trickle", 1, R{200, movie, {}, {}, {}, false, 200}, LKSOnDemandNetworkError, C::tooSlow,
         at(1) + tooSlow},
        {"manifest past its deadline", 0,
         R{200, paths[0].second + std::string(12000, ' '), {}, {}, {}, false, 3000},
         LKSOnDemandNetworkError, C::tooSlow, at(0) + "not received whole within 2 s"},
        {"flipped bytes", 1, R{200, flipped}, LKSOnDemandChecksumMismatchError, C::damagedDownload,
         "\"movie.mp4\" does not match its checksum: SHA-256 " +
             Sha256::hex(flipped.data(), flipped.size()) + " instead of " +
             Sha256::hex(movie.data(), movie.size())},
        {"captions changed after signing", 3,
         R{200, "WEBVTT\n\n00:01.000 --> 00:03.000\nOnce upon a tide.\n"},
         LKSOnDemandChecksumMismatchError, C::damagedDownload,
         "\"movie.en.vtt\" does not match its checksum"},
        {"honest short body", 1, R{200, movie.substr(1)}, LKSOnDemandSizeMismatchError,
         C::damagedDownload, "\"movie.mp4\" has 399999 bytes instead of 400000"},
        {"oversized body", 2, R{200, std::string(8 << 20, 'x')}, LKSOnDemandSizeMismatchError,
         C::damagedDownload, "\"song one.mp3\" has more than its 20000 bytes ("},
        {"nobody listening", 0, R{}, LKSOnDemandNetworkError, C::unreachable,
         nowhere + "/Video/manifest.json: host not reachable (", nowhere},
    };
    // Names that would leave the pack's folder, each served where it would lead.
    for (const std::string name : {"../x", "/etc/x", "a/b", "..", ".hidden", ""}) {
        server.route("/Video/" + Fetcher::percentEncode(name), {200, "abc"});
        faults.push_back(
            {"file name", 0,
             R{200, "{\"format\":1,\"tag\":\"Video\",\"edition\":1,\"files\":[{\"name\":\"" + name +
                        "\",\"size\":3,\"sha256\":\"" + std::string(64, 'a') + "\"}]}"},
             LKSOnDemandBadManifestError, C::damagedDownload, at(0) + "bad pack manifest: "});
    }
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fs::remove_all(service.bundleDirectory("Video"));
        *writer.written = 0;
        auto opts = options;
        opts.baseUrl = fault.url.empty() ? server.url() : fault.url;
        ContentService faulty(opts);
        if (fault.url.empty())
            server.route(paths[fault.path].first, fault.response);
        // Signed as a publisher's mistake would be, so that the manifest's own checks catch it.
        if (fault.code == LKSOnDemandBadManifestError)
            server.route("/Video/manifest.json.sig",
                         {200, signatureOf("Video", fault.response.body)});
        auto started = Clock::now();
        const auto [cause, code, said] = fetchPack(faulty, "Video");
        EXPECT_EQ(code, fault.code);
        EXPECT_EQ(cause, fault.cause);
        std::cout << "[   says   ] " << fault.what << ": " << said << "\n";
        EXPECT_NE(said.find(fault.says), std::string::npos) << said;
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(8));
        EXPECT_LE(writer.written->load(), movie.size() + 25000)
            << "bytes past a file's size were kept";
        expectNothingTrusted(faulty, "Video");
        // Only locks, what a cut transfer keeps in staging to carry on from, and the record of
        // the edition installed before may stay.
        auto kept = cache.path() / "staging" / "Video.resume";
        for (const auto& entry : fs::recursive_directory_iterator(cache.path())) {
            EXPECT_TRUE(entry.is_directory() || entry.path().extension() == ".lock" ||
                        entry.path().parent_path() == kept ||
                        entry.path() == cache / "editions" / "Video" ||
                        entry.path() == cache / "updates" / "Video")
                << entry.path() << " was left in the cache";
        }
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
    const char* replay = std::getenv("LARKSPIRE_FAULT_SEED");
    const auto seed = replay && *replay ? std::stoul(replay) : std::random_device{}();
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

TEST(ContentServiceHttpTest, AStalledServerFailsInBoundedTimeWhileTheCallerRunsOn) {
    FaultyHttpServer server;
    auto video = servePack(server, "Video", kPack);
    servePack(server, "Audio", {{"song.mp3", randomBytes(30000, 26)}});
    server.route(video[1].first, {200, kPack[0].bytes, {}, 100000});
    TempDirectory cache;
    auto options = testOptions(server.url(), cache.path());
    options.rateWindow = std::chrono::seconds(2);
    ContentService service(options);
    CompletionProbe stalled, joined, other;
    auto started = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), stalled.handler());
    while (server.requestCount(video[1].first) == 0 &&
           Clock::now() - started < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    auto callStarted = Clock::now();
    service.beginAccessing("Video", NSProgress::make(), joined.handler());
    service.beginAccessing("Audio", NSProgress::make(), other.handler());
    EXPECT_LT(Clock::now() - callStarted, std::chrono::seconds(1))
        << "beginAccessing waited on a stalled transfer";
    ASSERT_TRUE(other.wait());
    EXPECT_EQ(other.errorCode(), 0);
    EXPECT_EQ(stalled.calls(), 0) << "another tag's request waited behind the stalled one";
    ASSERT_TRUE(stalled.wait() && joined.wait()) << "a stalled transfer never failed";
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(stalled.errorCode(), LKSOnDemandNetworkError);
    EXPECT_EQ(joined.errorCode(), LKSOnDemandNetworkError);
    expectNothingTrusted(service, "Video");
}

// A transfer stops and completes before the service is gone; a worker stuck in a call (a write
// to a hung disk) holds up closing 2 s at most, and completes once its call returns.
TEST(ContentServiceHttpTest, ClosingCancelsRequestsAndWaitsForAStuckOneOnlyABoundedTime) {
    FaultyHttpServer server;
    auto paths = servePack(server, "Video", kPack);
    server.route(paths[1].first, {200, kPack[0].bytes, {}, 1000});
    for (bool hungDisk : {false, true}) {
        SCOPED_TRACE(hungDisk ? "hung disk" : "stalled transfer");
        TempDirectory cache;
        auto options = testOptions(server.url(), cache.path());
        options.rateWindow = std::chrono::seconds(60);  // only the cancellation can end it
        auto entered = std::make_shared<std::atomic<bool>>(false);
        auto release = std::make_shared<std::promise<void>>();
        options.write = [=, released = release->get_future().share()](int fd, const void* data,
                                                                      std::size_t size) {
            *entered = true;
            if (hungDisk)
                released.wait();
            return ::write(fd, data, size);
        };
        auto probe = std::make_shared<CompletionProbe>();
        auto service = std::make_unique<ContentService>(options);
        service->beginAccessing("Video", NSProgress::make(),
                                [probe, done = probe->handler()](auto error) { done(error); });
        for (int i = 0; i < 2000 && !*entered; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        auto closing = Clock::now();
        service.reset();
        EXPECT_LT(Clock::now() - closing, std::chrono::seconds(3));
        EXPECT_EQ(probe->calls(), hungDisk ? 0 : 1);
        release->set_value();
        ASSERT_TRUE(probe->wait());
        EXPECT_EQ(probe->errorCode(), LKSOnDemandNetworkError);
        auto staging = listNames(cache / "staging");  // at most what came before the cancellation
        EXPECT_TRUE(staging.empty() || staging == std::vector<std::string>{"Video.resume"});
    }
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
    Writer writer;
    options.spaceProbe = [](const fs::path&) -> std::optional<std::uint64_t> { return 1 << 30; };
    options.write = writer;
    ContentService service(options);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_GT(writer.written->load(), files[0].bytes.size())
        << "the disk filled up before the 2nd file";
    expectNothingTrusted(service, "Video");
    ASSERT_EQ(::mount(nullptr, disk.path().c_str(), nullptr, MS_REMOUNT, "size=8388608"), 0);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", files);
    ::umount2(disk.path().c_str(), MNT_DETACH);
}
