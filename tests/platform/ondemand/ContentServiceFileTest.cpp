// The content service over file:// URLs: install, verification, failures and their clean-up,
// progress, concurrency, and the cache layout.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "NetUtil.h"
#include "OnDemandTestHelpers.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackStore.h"

using packfixtures::listNames;
using packfixtures::readFile;
using packfixtures::writeFile;
using packfixtures::writePack;

namespace {

class ContentServiceFileTest : public testing::Test {
protected:
    ContentService::Options options() const {
        return testOptions(packfixtures::fileUrl(server_.path()), cache());
    }
    std::filesystem::path cache() const { return root_ / "cache"; }
    const std::filesystem::path& server() const { return server_.path(); }

    // A small pack "Video" of three files, one with characters that need escaping in a URL.
    void serveVideo() {
        writePack(server(), "Video",
                  {{"LKSChapter14.mp4", packfixtures::randomBytes(70000, 1)},
                   {"Chapter 15 #1 (50% ?).mp4", packfixtures::randomBytes(5000, 2)},
                   {"Ünïcödé.mp3", "tiny"}});
    }
    void expectVideoInstalled(ContentService& service) {
        auto folder = service.bundleDirectory("Video");
        EXPECT_EQ(readFile(std::filesystem::path(folder) / "LKSChapter14.mp4"),
                  packfixtures::randomBytes(70000, 1));
        EXPECT_EQ(readFile(std::filesystem::path(folder) / "Chapter 15 #1 (50% ?).mp4"),
                  packfixtures::randomBytes(5000, 2));
        EXPECT_EQ(readFile(std::filesystem::path(folder) / "Ünïcödé.mp3"), "tiny");
    }

    TempDirectory root_;
    TempDirectory server_{"larkspire-server"};
};

}  // namespace

TEST_F(ContentServiceFileTest, InstallsPackIntoBundleDirectory) {
    serveVideo();
    ContentService service(options());
    EXPECT_EQ(service.bundleDirectory("Video"), (cache() / "packs" / "Video").string());
    auto progress = NSProgress::make();
    ASSERT_EQ(fetchPack(service, "Video", progress), 0);
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    expectVideoInstalled(service);
    EXPECT_EQ(
        listNames(service.bundleDirectory("Video")),
        (std::vector<std::string>{".install-record", ".manifest.json", "Chapter 15 #1 (50% ?).mp4",
                                  "LKSChapter14.mp4", "Ünïcödé.mp3"}));
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});

    NSBundle bundle(service.bundleDirectory("Video"));
    EXPECT_TRUE(bundle.pathForResource("LKSChapter14", "mp4").has_value());
}

TEST_F(ContentServiceFileTest, InstallsAnEmptyPack) {
    writePack(server(), "Nothing", {});
    ContentService service(options());
    auto progress = NSProgress::make();
    ASSERT_EQ(fetchPack(service, "Nothing", progress), 0);
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    EXPECT_EQ(listNames(service.bundleDirectory("Nothing")),
              (std::vector<std::string>{".install-record", ".manifest.json"}));
}

TEST_F(ContentServiceFileTest, UnknownTagFailsWithInvalidTagError) {
    serveVideo();
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Karaoke"), NSBundleOnDemandResourceInvalidTagError);
    expectNoTraceOfFailure(service, "Karaoke", {});
}

TEST_F(ContentServiceFileTest, TagThatWouldLeaveTheCacheIsRefused) {
    // A pack that a tag of "../Video" would find if it were used as a path.
    writePack(server(), "Video", {{"a", "abc"}});
    ContentService service(options());
    for (const std::string tag : {"../Video", "a/b", "/etc", ".hidden", "", "..", "."}) {
        EXPECT_EQ(fetchPack(service, tag), NSBundleOnDemandResourceInvalidTagError) << tag;
        auto folder = std::filesystem::path(service.bundleDirectory(tag));
        EXPECT_EQ(folder.parent_path(), cache() / "packs") << tag;
        EXPECT_FALSE(std::filesystem::exists(folder)) << tag;
    }
    EXPECT_EQ(packfixtures::listTree(root_.path()), std::vector<std::string>{})
        << "nothing may be written for a refused tag";
}

TEST_F(ContentServiceFileTest, ChecksumMismatchLeavesNoTrace) {
    serveVideo();
    // Same size, different bytes.
    writeFile(server() / "Video" / "LKSChapter14.mp4", packfixtures::randomBytes(70000, 99));
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandChecksumMismatchError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFileTest, SizeMismatchLeavesNoTrace) {
    serveVideo();
    ContentService service(options());
    writeFile(server() / "Video" / "Ünïcödé.mp3", "tin");
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    expectNoTraceOfFailure(service, "Video", {});
    writeFile(server() / "Video" / "Ünïcödé.mp3", "tinier");
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFileTest, FileMissingOnServerFails) {
    serveVideo();
    std::filesystem::remove(server() / "Video" / "Ünïcödé.mp3");
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandHTTPError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFileTest, PathTraversalManifestIsRejectedWithoutWritingAnything) {
    // Files the bad names would reach if they were followed.
    writeFile(server() / "x", "outside");
    std::filesystem::create_directories(server() / "Video" / "a");
    writeFile(server() / "Video" / "a" / "b", "nested");
    ContentService service(options());
    for (const std::string name : {"../x", "/etc/x", "a/b", "..", ".hidden", ""}) {
        std::string json = "{\"tag\":\"Video\",\"files\":[{\"name\":\"" + name +
                           "\",\"size\":3,\"sha256\":\"" + std::string(64, 'a') + "\"}]}";
        packfixtures::writeManifestText(server(), "Video", json);
        EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandBadManifestError) << name;
        expectNoTraceOfFailure(service, "Video", {});
    }
    // Only the cache's own empty folders and lock exist: no file landed anywhere in it.
    for (const auto& path : packfixtures::listTree(cache()))
        EXPECT_TRUE(std::filesystem::is_directory(cache() / path) || path == "locks/Video.lock")
            << path;
    EXPECT_EQ(listNames(root_.path()), std::vector<std::string>{"cache"});
}

TEST_F(ContentServiceFileTest, ManifestThatIsNotJsonIsRejected) {
    packfixtures::writeManifestText(server(), "Video", "<html>oops</html>");
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandBadManifestError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFileTest, ManifestForAnotherTagIsRejected) {
    auto manifest = writePack(server(), "Audio", {{"a", "abc"}});
    packfixtures::writeManifestText(server(), "Video", manifest.toJson());
    writeFile(server() / "Video" / "a", "abc");
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandBadManifestError);
}

TEST_F(ContentServiceFileTest, TooLittleSpaceFailsBeforeDownloading) {
    auto manifest = writePack(server(), "Video", {{"a", std::string(1000, 'a')}, {"b", "bb"}});
    std::atomic<int> writes{0};
    std::atomic<std::uint64_t> available{manifest.totalSize() - 1};
    std::filesystem::path probed;
    std::mutex probedMutex;
    auto opts = options();
    opts.spaceProbe = [&](const std::filesystem::path& folder) -> std::optional<std::uint64_t> {
        std::lock_guard lock(probedMutex);
        probed = folder;
        return available.load();
    };
    opts.write = [&](int fd, const void* data, std::size_t size) {
        ++writes;
        return ::write(fd, data, size);
    };
    ContentService service(opts);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_EQ(writes.load(), 0) << "nothing is downloaded without room for the whole pack";
    expectNoTraceOfFailure(service, "Video", {});
    {
        std::lock_guard lock(probedMutex);
        EXPECT_EQ(probed, service.stagingDirectory()) << "space is checked where files go";
    }

    available = manifest.totalSize();
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_GT(writes.load(), 0);
}

namespace {

// A writer that lets `limit` bytes through, as a device that fills up does: a short write,
// then every later write fails with `error`.
struct FailingWriter {
    std::size_t limit;
    int error;
    std::shared_ptr<std::atomic<std::size_t>> written =
        std::make_shared<std::atomic<std::size_t>>(0);
    std::shared_ptr<std::atomic<bool>> armed = std::make_shared<std::atomic<bool>>(true);

    ssize_t operator()(int fd, const void* data, std::size_t size) const {
        if (armed->load() && *written + size > limit) {
            if (*written >= limit) {
                errno = error;
                return -1;
            }
            size = limit - *written;
        }
        ssize_t result = ::write(fd, data, size);
        if (result > 0)
            *written += static_cast<std::size_t>(result);
        return result;
    }
};

}  // namespace

TEST_F(ContentServiceFileTest, DiskFullWhileWritingIsOutOfSpace) {
    serveVideo();
    for (int error : {ENOSPC, EDQUOT}) {
        FailingWriter writer{10000, error};
        auto opts = options();
        opts.write = writer;
        ContentService service(opts);
        EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
        EXPECT_GT(writer.written->load(), 0u) << "the failure came in the middle of a file";
        expectNoTraceOfFailure(service, "Video", {});

        // Once there is room again, the next request succeeds.
        *writer.armed = false;
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectVideoInstalled(service);
        std::filesystem::remove_all(cache());
    }
}

TEST_F(ContentServiceFileTest, OtherWriteFailureIsStorageError) {
    serveVideo();
    auto opts = options();
    opts.write = FailingWriter{0, EIO};
    ContentService service(opts);
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandStorageError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFileTest, RequestAfterFailureSucceedsOnceFaultIsGone) {
    serveVideo();
    auto good = readFile(server() / "Video" / "LKSChapter14.mp4");
    writeFile(server() / "Video" / "LKSChapter14.mp4", packfixtures::randomBytes(70000, 5));
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandChecksumMismatchError);
    writeFile(server() / "Video" / "LKSChapter14.mp4", good);
    auto progress = NSProgress::make();
    EXPECT_EQ(fetchPack(service, "Video", progress), 0);
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    expectVideoInstalled(service);
}

TEST_F(ContentServiceFileTest, IntactInstalledPackCompletesWithoutNetwork) {
    serveVideo();
    {
        ContentService service(options());
        ASSERT_EQ(fetchPack(service, "Video"), 0);
    }
    // Nothing listens there: any network access would fail the request.
    auto offline =
        testOptions("http://127.0.0.1:" + std::to_string(netutil::freeLoopbackPort()), cache());
    std::atomic<int> writes{0};
    offline.write = [&](int fd, const void* data, std::size_t size) {
        ++writes;
        return ::write(fd, data, size);
    };
    ContentService service(offline);
    auto progress = NSProgress::make();
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPack(service, "Video", progress), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    EXPECT_EQ(writes.load(), 0);
    expectVideoInstalled(service);
}

TEST_F(ContentServiceFileTest, PackFromAnEarlierBootIsCheckedOnceBeforeItIsTrusted) {
    serveVideo();
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    auto folder = std::filesystem::path(service.bundleDirectory("Video"));
    auto record = folder / PackStore::kInstallRecordName;
    ASSERT_FALSE(PackStore::currentBootId().empty()) << "Linux tells its boot id";
    EXPECT_EQ(readFile(record), "installed in boot " + PackStore::currentBootId());

    // A crash before the data reached the disk: right size, wrong bytes, and a reboot since.
    writeFile(record, "installed in boot 00000000-0000-0000-0000-000000000000");
    auto damaged = packfixtures::randomBytes(70000, 1);
    damaged[123] ^= 0x10;
    writeFile(folder / "LKSChapter14.mp4", damaged);
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectVideoInstalled(service);

    // Sound data from an earlier boot: checked without network, then recorded as verified.
    writeFile(record, "installed in boot 00000000-0000-0000-0000-000000000000");
    auto offline =
        testOptions("http://127.0.0.1:" + std::to_string(netutil::freeLoopbackPort()), cache());
    ContentService offlineService(offline);
    EXPECT_EQ(fetchPack(offlineService, "Video"), 0);
    EXPECT_EQ(readFile(record), "verified");
    expectVideoInstalled(offlineService);
}

TEST_F(ContentServiceFileTest, DamagedInstalledPackIsFetchedAgain) {
    serveVideo();
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    auto folder = std::filesystem::path(service.bundleDirectory("Video"));

    std::filesystem::remove(folder / "Ünïcödé.mp3");
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectVideoInstalled(service);

    std::filesystem::resize_file(folder / "LKSChapter14.mp4", 100);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectVideoInstalled(service);

    writeFile(folder / ".manifest.json", "garbage");
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    expectVideoInstalled(service);
}

TEST_F(ContentServiceFileTest, NewPackReplacesTheOldOneWhole) {
    writePack(server(), "Audio", {{"Old song.mp3", "old"}, {"Kept.mp3", "kept v1"}});
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    auto folder = std::filesystem::path(service.bundleDirectory("Audio"));
    std::filesystem::remove(folder / "Old song.mp3");  // no longer intact

    std::filesystem::remove_all(server() / "Audio");
    writePack(server(), "Audio", {{"Kept.mp3", "kept v2"}, {"New song.mp3", "new"}});
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    EXPECT_EQ(listNames(folder), (std::vector<std::string>{".install-record", ".manifest.json",
                                                           "Kept.mp3", "New song.mp3"}));
    EXPECT_EQ(readFile(folder / "Kept.mp3"), "kept v2");
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

TEST_F(ContentServiceFileTest, FailedUpdateLeavesInstalledFolderUntouched) {
    writePack(server(), "Audio", {{"a.mp3", "aaa"}, {"b.mp3", "bbb"}});
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    auto folder = std::filesystem::path(service.bundleDirectory("Audio"));
    std::filesystem::remove(folder / "b.mp3");
    auto before = snapshotOf(folder);

    writePack(server(), "Audio", {{"a.mp3", "AAA"}, {"b.mp3", "BBB"}, {"c.mp3", "CCC"}});
    writeFile(server() / "Audio" / "c.mp3", "XXX");
    EXPECT_EQ(fetchPack(service, "Audio"), LKSOnDemandChecksumMismatchError);
    expectNoTraceOfFailure(service, "Audio", before);
}

TEST_F(ContentServiceFileTest, LeftoverStagingIsRemovedAndNeverTrusted) {
    serveVideo();
    auto staging = cache() / "staging";
    // What a killed process leaves: a complete-looking but wrong file for "Video", a staging
    // folder of another tag, and stray entries.
    std::filesystem::create_directories(staging / "Video.Ab12Cd");
    writeFile(staging / "Video.Ab12Cd" / "LKSChapter14.mp4", packfixtures::randomBytes(70000, 7));
    std::filesystem::create_directories(staging / "Audio.Zz99Yy");
    writeFile(staging / "Audio.Zz99Yy" / "song.mp3", "partial");
    writeFile(staging / "stray", "x");

    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectVideoInstalled(service);
    EXPECT_EQ(listNames(staging), std::vector<std::string>{});
}

TEST_F(ContentServiceFileTest, ProgressRisesFromZeroToOneInAtMostAHundredSteps) {
    // Many small files: many more chunks than progress steps.
    std::vector<packfixtures::FileContent> files;
    for (int i = 0; i < 400; ++i)
        files.push_back({"clip" + std::to_string(i) + ".bin", packfixtures::randomBytes(3000, i)});
    writePack(server(), "Clips", files);
    ContentService service(options());
    auto progress = NSProgress::make();
    auto recorder = std::make_shared<ProgressRecorder>();
    progress->addObserver(recorder, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    EXPECT_EQ(progress->fractionCompleted(), 0.0);
    ASSERT_EQ(fetchPack(service, "Clips", progress), 0);

    auto values = recorder->values();
    ASSERT_FALSE(values.empty());
    EXPECT_LE(values.size(), 101u);
    EXPECT_GE(values.size(), 50u) << "progress should move gradually, not jump to the end";
    EXPECT_GT(values.front(), 0.0);
    EXPECT_LE(values.front(), 0.02);
    EXPECT_EQ(values.back(), 1.0);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i], values[i - 1]) << "at update " << i;
    for (auto thread : recorder->threads())
        EXPECT_NE(thread, std::this_thread::get_id()) << "progress comes from the worker";
    progress->removeObserver(recorder, "fractionCompleted");
}

TEST_F(ContentServiceFileTest, CompletionComesOnceFromAWorkerThread) {
    serveVideo();
    ContentService service(options());
    CompletionProbe probe;
    service.beginAccessing("Video", NSProgress::make(), probe.handler());
    ASSERT_TRUE(probe.wait());
    EXPECT_EQ(probe.errorCode(), 0);
    EXPECT_NE(probe.thread(), std::this_thread::get_id());
    // An intact pack still completes from the worker.
    CompletionProbe again;
    service.beginAccessing("Video", NSProgress::make(), again.handler());
    ASSERT_TRUE(again.wait());
    EXPECT_NE(again.thread(), std::this_thread::get_id());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(probe.calls(), 1);
    EXPECT_EQ(again.calls(), 1);
}

TEST_F(ContentServiceFileTest, ConcurrentRequestsForOneTagShareOneDownload) {
    serveVideo();
    // Holds the first write until the second request is in, so the two overlap for sure.
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false;
    bool secondAsked = false;
    std::atomic<std::size_t> bytesWritten{0};
    auto opts = options();
    opts.write = [&](int fd, const void* data, std::size_t size) {
        bytesWritten += size;
        {
            std::unique_lock lock(mutex);
            if (!writing) {
                writing = true;
                changed.notify_all();
                changed.wait_for(lock, std::chrono::seconds(10), [&] { return secondAsked; });
            }
        }
        return ::write(fd, data, size);
    };
    ContentService service(opts);

    auto firstProgress = NSProgress::make();
    auto secondProgress = NSProgress::make();
    CompletionProbe first;
    CompletionProbe second;
    service.beginAccessing("Video", firstProgress, first.handler());
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return writing; }));
    }
    service.beginAccessing("Video", secondProgress, second.handler());
    {
        std::lock_guard lock(mutex);
        secondAsked = true;
    }
    changed.notify_all();

    ASSERT_TRUE(first.wait());
    ASSERT_TRUE(second.wait());
    EXPECT_EQ(first.errorCode(), 0);
    EXPECT_EQ(second.errorCode(), 0);
    EXPECT_EQ(firstProgress->fractionCompleted(), 1.0);
    EXPECT_EQ(secondProgress->fractionCompleted(), 1.0);
    expectVideoInstalled(service);
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
    // One download's worth: the files and the manifest copy, once.
    auto folder = std::filesystem::path(service.bundleDirectory("Video"));
    std::size_t installed = 0;
    for (const auto& name : listNames(folder)) {
        if (name != PackStore::kInstallRecordName)
            installed += std::filesystem::file_size(folder / name);
    }
    EXPECT_EQ(bytesWritten.load(), installed);
}

TEST_F(ContentServiceFileTest, ManyRequestsForSeveralTagsAtOnce) {
    writePack(server(), "Video", {{"v.mp4", packfixtures::randomBytes(300000, 1)}});
    writePack(server(), "Audio", {{"a.mp3", packfixtures::randomBytes(300000, 2)}});
    ContentService service(options());
    std::vector<std::unique_ptr<CompletionProbe>> probes;
    std::vector<std::shared_ptr<NSProgress>> progresses;
    std::vector<std::thread> callers;
    for (int i = 0; i < 8; ++i) {
        probes.push_back(std::make_unique<CompletionProbe>());
        progresses.push_back(NSProgress::make());
    }
    for (int i = 0; i < 8; ++i) {
        callers.emplace_back([&, i] {
            service.beginAccessing(i % 2 ? "Audio" : "Video", progresses[i], probes[i]->handler());
        });
    }
    for (auto& caller : callers)
        caller.join();
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(probes[i]->wait()) << i;
        EXPECT_EQ(probes[i]->errorCode(), 0) << i;
        EXPECT_EQ(probes[i]->calls(), 1) << i;
        EXPECT_EQ(progresses[i]->fractionCompleted(), 1.0) << i;
    }
    EXPECT_EQ(readFile(std::filesystem::path(service.bundleDirectory("Video")) / "v.mp4"),
              packfixtures::randomBytes(300000, 1));
    EXPECT_EQ(readFile(std::filesystem::path(service.bundleDirectory("Audio")) / "a.mp3"),
              packfixtures::randomBytes(300000, 2));
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

TEST_F(ContentServiceFileTest, TwoServicesOnOneCacheTakeTurns) {
    writePack(server(), "Video", {{"v.mp4", packfixtures::randomBytes(2000000, 3)}});
    ContentService one(options());
    ContentService two(options());
    CompletionProbe first;
    CompletionProbe second;
    one.beginAccessing("Video", NSProgress::make(), first.handler());
    two.beginAccessing("Video", NSProgress::make(), second.handler());
    ASSERT_TRUE(first.wait());
    ASSERT_TRUE(second.wait());
    EXPECT_EQ(first.errorCode(), 0);
    EXPECT_EQ(second.errorCode(), 0);
    EXPECT_EQ(readFile(std::filesystem::path(one.bundleDirectory("Video")) / "v.mp4"),
              packfixtures::randomBytes(2000000, 3));
    EXPECT_EQ(listNames(one.stagingDirectory()), std::vector<std::string>{});
}

TEST(ContentServiceCacheDirectory, FollowsEnvironmentInOrder) {
    struct SavedVariable {
        std::string name;
        std::optional<std::string> value;
        explicit SavedVariable(std::string variable) : name(std::move(variable)) {
            if (const char* current = std::getenv(name.c_str()))
                value = current;
        }
        ~SavedVariable() {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    };
    SavedVariable cacheDir("LARKSPIRE_CACHE_DIR"), xdg("XDG_CACHE_HOME"), home("HOME");

    ::setenv("HOME", "/home/kid", 1);
    ::setenv("XDG_CACHE_HOME", "/var/cache/kid", 1);
    ::setenv("LARKSPIRE_CACHE_DIR", "/srv/larkspire", 1);
    EXPECT_EQ(ContentService::defaultCacheDirectory(), "/srv/larkspire");
    ::setenv("LARKSPIRE_CACHE_DIR", "", 1);
    EXPECT_EQ(ContentService::defaultCacheDirectory(), "/var/cache/kid/larkspire");
    ::unsetenv("LARKSPIRE_CACHE_DIR");
    EXPECT_EQ(ContentService::defaultCacheDirectory(), "/var/cache/kid/larkspire");
    ::setenv("XDG_CACHE_HOME", "relative/cache", 1);
    EXPECT_EQ(ContentService::defaultCacheDirectory(), "/home/kid/.cache/larkspire");
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(ContentService::defaultCacheDirectory(), "/home/kid/.cache/larkspire");
}

TEST(ContentServiceOptions, BaseUrlIsRequiredAndTrailingSlashesIgnored) {
    TempDirectory server("larkspire-server");
    TempDirectory cache;
    EXPECT_THROW(ContentService(testOptions("", cache.path())), std::invalid_argument);
    writePack(server.path(), "Video", {{"a", "abc"}});
    ContentService service(testOptions(packfixtures::fileUrl(server.path()) + "//", cache.path()));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
}

TEST(ContentServiceOptions, FileUrlForAFolderWithSpacesAndSymbols) {
    TempDirectory top("larkspire-server");
    auto folder = top.path() / "my packs #1 (50%)";
    std::filesystem::create_directories(folder);
    writePack(folder, "Video", {{"a", "abc"}});
    auto url = ContentService::fileUrlFor(folder);
    EXPECT_EQ(url.rfind("file:///", 0), 0u) << url;
    EXPECT_NE(url.find("my%20packs%20%231%20%2850%25%29"), std::string::npos) << url;
    TempDirectory cache;
    ContentService service(testOptions(url, cache.path()));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_EQ(readFile(std::filesystem::path(service.bundleDirectory("Video")) / "a"), "abc");
}
