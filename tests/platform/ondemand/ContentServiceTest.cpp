// The content service over file:// URLs: installing, refusing, cleaning up after failures,
// progress and concurrency.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>

#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSBundle.h"
#include "platform/ondemand/PackStore.h"

using namespace packfixtures;
namespace fs = std::filesystem;

namespace {

const std::vector<FileContent> kVideo = {{"LKSChapter14.mp4", randomBytes(70000, 1)},
                                         {"Chapter 15 #1 (50% ?).mp4", randomBytes(5000, 2)},
                                         {"Ünïcödé.mp3", "tiny"}};

class ContentServiceTest : public testing::Test {
protected:
    void SetUp() override { writePack(server(), "Video", kVideo); }
    ContentService::Options options() const { return testOptions(fileUrl(server()), cache()); }
    fs::path cache() const { return root_ / "cache"; }
    fs::path server() const { return root_ / "server"; }
    // Cache entries other than folders and lock files: what a failure must never leave.
    std::vector<std::string> filesInCache() const {
        std::vector<std::string> files;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(cache(), error)) {
            if (!entry.is_directory() && entry.path().extension() != ".lock")
                files.push_back(entry.path().string());
        }
        return files;
    }

    TempDirectory root_;
};

// Counts the bytes written; with a limit, lets that many through as a device that fills up
// does (a short write, then `error` on every later write).
struct Writer {
    std::size_t limit = SIZE_MAX;
    int error = 0;
    std::shared_ptr<std::atomic<std::size_t>> written =
        std::make_shared<std::atomic<std::size_t>>();
    ssize_t operator()(int fd, const void* data, std::size_t size) const {
        if (*written + size > limit) {
            if (*written >= limit) {
                errno = error;
                return -1;
            }
            size = limit - *written;
        }
        ssize_t result = ::write(fd, data, size);
        *written += result > 0 ? static_cast<std::size_t>(result) : 0;
        return result;
    }
};

std::string manifestNaming(const std::string& name) {
    return "{\"tag\":\"Video\",\"files\":[{\"name\":\"" + name + "\",\"size\":3,\"sha256\":\"" +
           std::string(64, 'a') + "\"}]}";
}

}  // namespace

TEST_F(ContentServiceTest, InstallsAPackWithProgressAndOneCompletionFromAWorker) {
    std::vector<FileContent> clips;
    for (int i = 0; i < 400; ++i)
        clips.push_back({"clip" + std::to_string(i) + ".bin", randomBytes(3000, i)});
    writePack(server(), "Clips", clips);
    ContentService service(options());
    EXPECT_EQ(service.bundleDirectory("Video"), (cache() / "packs" / "Video").string());
    auto progress = NSProgress::make();
    auto recorder = std::make_shared<ProgressRecorder>();
    progress->addObserver(recorder, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    CompletionProbe probe;
    service.beginAccessing("Clips", progress, probe.handler());
    ASSERT_TRUE(probe.wait());
    EXPECT_EQ(probe.errorCode(), 0);
    EXPECT_NE(probe.thread(), std::this_thread::get_id());
    expectPackInstalled(service, "Clips", clips);

    // Many more chunks than steps: gradual, rising, at most a hundred steps, from the worker.
    auto values = recorder->values();
    ASSERT_GE(values.size(), 50u);
    EXPECT_LE(values.size(), 101u);
    EXPECT_LE(values.front().first, 0.02);
    EXPECT_EQ(values.back().first, 1.0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_NE(values[i].second, std::this_thread::get_id());
        if (i > 0) {
            EXPECT_GT(values[i].first, values[i - 1].first) << "at update " << i;
        }
    }
    progress->removeObserver(recorder, "fractionCompleted");

    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", kVideo);
    EXPECT_TRUE(NSBundle(service.bundleDirectory("Video")).pathForResource("LKSChapter14", "mp4"));
    writePack(server(), "Nothing", {});
    ASSERT_EQ(fetchPack(service, "Nothing"), 0);
    expectPackInstalled(service, "Nothing", {});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(probe.calls(), 1);
}

TEST_F(ContentServiceTest, EachFaultFailsWithItsCodeLeavesNothingAndClearsOnceRepaired) {
    struct Fault {
        const char* what;
        std::string tag;
        std::function<void(const fs::path& pack)> damage;
        long code;
    };
    auto write = [](const char* name, std::string bytes) {
        return [=](const fs::path& pack) { writeFile(pack / name, bytes); };
    };
    std::vector<Fault> faults = {
        {"no such pack", "Karaoke", [](const fs::path&) {},
         NSBundleOnDemandResourceInvalidTagError},
        {"flipped bytes", "Video", write("LKSChapter14.mp4", randomBytes(70000, 99)),
         LKSOnDemandChecksumMismatchError},
        {"file shorter", "Video", write("Ünïcödé.mp3", "tin"), LKSOnDemandSizeMismatchError},
        {"file longer", "Video", write("Ünïcödé.mp3", "tinier"), LKSOnDemandSizeMismatchError},
        {"file missing", "Video", [](const fs::path& pack) { fs::remove(pack / "Ünïcödé.mp3"); },
         LKSOnDemandHTTPError},
        {"manifest not JSON", "Video", write("manifest.json", "<html>oops</html>"),
         LKSOnDemandBadManifestError},
        {"another tag's manifest", "Video",
         write("manifest.json", PackManifest("Audio", {}).toJson()), LKSOnDemandBadManifestError},
    };
    for (const std::string name : {"../x", "/etc/x", "a/b", "..", ".hidden", ""})
        faults.push_back({"file name", "Video", write("manifest.json", manifestNaming(name)),
                          LKSOnDemandBadManifestError});
    // A folder and a file that the escaping names would reach if they were followed.
    fs::create_directories(server() / "Video" / "a");
    writeFile(server() / "Video" / "a" / "b", "abc");
    writeFile(server() / "x", "abc");
    ContentService service(options());
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.damage(server() / fault.tag);
        EXPECT_EQ(fetchPack(service, fault.tag), fault.code);
        expectNothingTrusted(service, fault.tag);
        EXPECT_EQ(filesInCache(), std::vector<std::string>{});
        writePack(server(), "Video", kVideo);
        ASSERT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kVideo);
        fs::remove_all(service.bundleDirectory("Video"));
    }
}

TEST_F(ContentServiceTest, TagsThatWouldLeaveTheCacheAreRefusedWithoutWritingAnything) {
    ContentService service(options());
    for (const std::string tag : {"../Video", "a/b", "/etc", ".hidden", "", "..", "."}) {
        EXPECT_EQ(fetchPack(service, tag), NSBundleOnDemandResourceInvalidTagError) << tag;
        EXPECT_EQ(fs::path(service.bundleDirectory(tag)).parent_path(), cache() / "packs") << tag;
    }
    EXPECT_FALSE(fs::exists(cache())) << "nothing may be written for a refused tag";
}

TEST_F(ContentServiceTest, AFailingDiskIsOutOfSpaceOrStorageAndTheNextRequestSucceeds) {
    const struct {
        std::size_t limit;
        int error;
        long code;
    } disks[] = {{10000, ENOSPC, NSBundleOnDemandResourceOutOfSpaceError},
                 {10000, EDQUOT, NSBundleOnDemandResourceOutOfSpaceError},
                 {0, EIO, LKSOnDemandStorageError}};
    for (const auto& disk : disks) {
        SCOPED_TRACE(disk.error);
        fs::remove_all(cache());
        auto opts = options();
        Writer writer{disk.limit, disk.error};
        opts.write = writer;
        ContentService service(opts);
        EXPECT_EQ(fetchPack(service, "Video"), disk.code);
        EXPECT_EQ(writer.written->load(), disk.limit) << "the disk failed in the middle of a file";
        expectNothingTrusted(service, "Video");
        opts.write = Writer{};
        ContentService repaired(opts);
        EXPECT_EQ(fetchPack(repaired, "Video"), 0);
        expectPackInstalled(repaired, "Video", kVideo);
    }
}

TEST_F(ContentServiceTest, TooLittleSpaceFailsBeforeDownloadingAByte) {
    auto total = PackManifest::parse(readFile(server() / "Video" / "manifest.json")).totalSize();
    auto available = std::make_shared<std::atomic<std::uint64_t>>(total - 1);
    auto probed = std::make_shared<std::string>();
    auto opts = options();
    opts.spaceProbe = [=](const fs::path& folder) -> std::optional<std::uint64_t> {
        *probed = folder.string();
        return available->load();
    };
    Writer writer;
    opts.write = writer;
    ContentService service(opts);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_EQ(writer.written->load(), 0u);
    EXPECT_EQ(*probed, service.stagingDirectory()) << "space is checked where files go";
    expectNothingTrusted(service, "Video");
    *available = total;
    EXPECT_EQ(fetchPack(service, "Video"), 0);
}

TEST_F(ContentServiceTest, AnInstalledPackIsTrustedOnlyWhileIntactAndCheckedOnceAfterAReboot) {
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    auto folder = fs::path(service.bundleDirectory("Video"));
    auto record = folder / PackStore::kInstallRecordName;
    ASSERT_FALSE(PackStore::currentBootId().empty()) << "Linux tells its boot id";
    EXPECT_EQ(readFile(record), "installed in boot " + PackStore::currentBootId());
    const std::string earlierBoot = "installed in boot 00000000-0000-0000-0000-000000000000";

    // Intact: no network, no write.
    auto offline = testOptions(unreachableBaseUrl(), cache());
    Writer writer;
    offline.write = writer;
    ContentService offlineService(offline);
    EXPECT_EQ(fetchPack(offlineService, "Video"), 0);
    EXPECT_EQ(writer.written->load(), 0u);

    // Damaged in ways a size check sees, or (after a reboot) only the checksum does.
    const std::pair<const char*, std::function<void()>> damages[] = {
        {"file removed", [&] { fs::remove(folder / "Ünïcödé.mp3"); }},
        {"file cut", [&] { fs::resize_file(folder / "LKSChapter14.mp4", 100); }},
        {"record garbled", [&] { writeFile(folder / ".manifest.json", "garbage"); }},
        {"bytes lost in a crash",
         [&] {
             auto bytes = kVideo[0].bytes;
             bytes[123] ^= 0x10;
             writeFile(folder / "LKSChapter14.mp4", bytes);
             writeFile(record, earlierBoot);
         }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        damage();
        EXPECT_NE(fetchPack(offlineService, "Video"), 0);
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kVideo);
    }

    // Sound data from an earlier boot: checked without network, then recorded as verified.
    writeFile(record, earlierBoot);
    EXPECT_EQ(fetchPack(offlineService, "Video"), 0);
    EXPECT_EQ(readFile(record), "verified");
    EXPECT_EQ(writer.written->load(), 0u);
}

TEST_F(ContentServiceTest, AnUpdateReplacesThePackWholeOrNotAtAll) {
    writePack(server(), "Audio", {{"Old.mp3", "old"}, {"Kept.mp3", "kept v1"}});
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    auto folder = fs::path(service.bundleDirectory("Audio"));
    fs::remove(folder / "Old.mp3");
    auto before = snapshotOf(folder);

    fs::remove_all(server() / "Audio");
    const std::vector<FileContent> update = {{"Kept.mp3", "kept v2"}, {"New.mp3", "new"}};
    writePack(server(), "Audio", update);
    writeFile(server() / "Audio" / "New.mp3", "XXX");
    EXPECT_EQ(fetchPack(service, "Audio"), LKSOnDemandChecksumMismatchError);
    expectNothingTrusted(service, "Audio", before);

    writeFile(server() / "Audio" / "New.mp3", "new");
    ASSERT_EQ(fetchPack(service, "Audio"), 0);
    expectPackInstalled(service, "Audio", update);
}

TEST_F(ContentServiceTest, WhatAKilledProcessLeftInStagingIsRemovedAndNeverTrusted) {
    auto staging = cache() / "staging";
    fs::create_directories(staging / "Video.Ab12Cd");
    writeFile(staging / "Video.Ab12Cd" / "LKSChapter14.mp4", randomBytes(70000, 7));
    fs::create_directories(staging / "Audio.Zz99Yy");
    writeFile(staging / "stray", "x");
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", kVideo);
}

TEST_F(ContentServiceTest, ConcurrentRequestsForOneTagShareOneDownload) {
    // Holds the first write until the second request is in, so the two overlap for sure.
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false, secondAsked = false;
    std::atomic<std::size_t> written{0};
    auto opts = options();
    opts.write = [&](int fd, const void* data, std::size_t size) {
        written += size;
        std::unique_lock lock(mutex);
        if (!writing) {
            writing = true;
            changed.notify_all();
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return secondAsked; });
        }
        return ::write(fd, data, size);
    };
    ContentService service(opts);
    CompletionProbe first, second;
    auto firstProgress = NSProgress::make(), secondProgress = NSProgress::make();
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
    ASSERT_TRUE(first.wait() && second.wait());
    EXPECT_EQ(first.errorCode(), 0);
    EXPECT_EQ(second.errorCode(), 0);
    EXPECT_EQ(firstProgress->fractionCompleted(), 1.0);
    EXPECT_EQ(secondProgress->fractionCompleted(), 1.0);
    expectPackInstalled(service, "Video", kVideo);
    // One download's worth: the files and the manifest copy, once.
    std::size_t installed = 0;
    for (const auto& [name, bytes] : snapshotOf(service.bundleDirectory("Video")))
        installed += name == PackStore::kInstallRecordName ? 0 : bytes.size();
    EXPECT_EQ(written.load(), installed);

    // Two services on one cache, as two processes would be, take turns.
    ContentService other(options());
    fs::remove_all(service.bundleDirectory("Video"));
    CompletionProbe mine, theirs;
    service.beginAccessing("Video", NSProgress::make(), mine.handler());
    other.beginAccessing("Video", NSProgress::make(), theirs.handler());
    ASSERT_TRUE(mine.wait() && theirs.wait());
    EXPECT_EQ(mine.errorCode() + theirs.errorCode(), 0);
    expectPackInstalled(other, "Video", kVideo);
}

TEST(ContentServiceSetupTest, CacheFolderBaseUrlAndFileUrls) {
    const char* names[] = {"LARKSPIRE_CACHE_DIR", "XDG_CACHE_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name))
                                          : std::nullopt);
    // LARKSPIRE_CACHE_DIR, XDG_CACHE_HOME, HOME -> the folder chosen.
    const std::array<const char*, 4> rows[] = {
        {"/srv/larkspire", "/var/cache/kid", "/home/kid", "/srv/larkspire"},
        {"", "/var/cache/kid", "/home/kid", "/var/cache/kid/larkspire"},
        {nullptr, "relative/cache", "/home/kid", "/home/kid/.cache/larkspire"},
        {nullptr, nullptr, "/home/kid", "/home/kid/.cache/larkspire"},
    };
    for (const auto& row : rows) {
        for (int i = 0; i < 3; ++i)
            row[i] ? ::setenv(names[i], row[i], 1) : ::unsetenv(names[i]);
        EXPECT_EQ(ContentService::defaultCacheDirectory(), row[3]);
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);

    TempDirectory top;
    auto folder = top / "my packs #1 (50%)";
    writePack(folder, "Video", {{"a", "abc"}});
    auto url = ContentService::fileUrlFor(folder);
    EXPECT_EQ(url, "file://" + top.path().string() + "/my%20packs%20%231%20%2850%25%29");
    EXPECT_THROW(ContentService(testOptions("", top / "cache")), std::invalid_argument);
    ContentService service(testOptions(url + "//", top / "cache"));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
}
