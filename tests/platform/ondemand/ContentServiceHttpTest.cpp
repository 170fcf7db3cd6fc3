// The content service against a real nginx on loopback.
#include <gtest/gtest.h>

#include "NginxServedTest.h"

#include <memory>
#include <thread>

#include "NginxServer.h"
#include "OnDemandTestHelpers.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/PackStore.h"

using packfixtures::listNames;
using packfixtures::readFile;
using packfixtures::writePack;

class ContentServiceHttpTest : public NginxServedTest {};

TEST_F(ContentServiceHttpTest, InstallsPackWithNamesThatNeedEscaping) {
    std::vector<packfixtures::FileContent> files = {
        {"LKSChapter14.mp4", packfixtures::randomBytes(500000, 1)},
        {"Song #1 (50% + more?).mp3", packfixtures::randomBytes(20000, 2)},
        {"Ünïcödé ✓ & ; = .mp3", packfixtures::randomBytes(3000, 3)},
        {"empty", ""}};
    writePack(served_, "Video", files);
    ContentService service(options());
    auto progress = NSProgress::make();
    ASSERT_EQ(fetchPack(service, "Video", progress), 0);
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    auto folder = std::filesystem::path(service.bundleDirectory("Video"));
    for (const auto& file : files)
        EXPECT_EQ(readFile(folder / file.name), file.bytes) << file.name;
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

TEST_F(ContentServiceHttpTest, UnknownTagIsInvalidTagError) {
    writePack(served_, "Video", {{"a", "abc"}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Audio"), NSBundleOnDemandResourceInvalidTagError);
    expectNoTraceOfFailure(service, "Audio", {});
}

TEST_F(ContentServiceHttpTest, FileMissingOnServerIsHttpError) {
    writePack(served_, "Video", {{"a", "abc"}, {"b", "def"}});
    std::filesystem::remove(served_ / "Video" / "b");
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandHTTPError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceHttpTest, LargeFileReportsBoundedMonotonicProgress) {
    auto big = packfixtures::randomBytes(24 * 1024 * 1024, 4);
    writePack(served_, "Video", {{"big.mp4", big}});
    ContentService service(options());
    auto progress = NSProgress::make();
    auto recorder = std::make_shared<ProgressRecorder>();
    progress->addObserver(recorder, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    ASSERT_EQ(fetchPack(service, "Video", progress), 0);
    auto values = recorder->values();
    ASSERT_FALSE(values.empty());
    EXPECT_LE(values.size(), 101u);
    EXPECT_GE(values.size(), 20u);
    EXPECT_EQ(values.back(), 1.0);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i], values[i - 1]) << "at update " << i;
    EXPECT_EQ(readFile(std::filesystem::path(service.bundleDirectory("Video")) / "big.mp4"), big);
    progress->removeObserver(recorder, "fractionCompleted");
}

TEST_F(ContentServiceHttpTest, ConcurrentRequestsForOneTagAllSucceed) {
    auto video = packfixtures::randomBytes(6 * 1024 * 1024, 5);
    writePack(served_, "Video", {{"v.mp4", video}, {"w.mp4", "w"}});
    ContentService service(options());
    constexpr int kRequests = 6;
    std::vector<std::unique_ptr<CompletionProbe>> probes;
    std::vector<std::shared_ptr<NSProgress>> progresses;
    for (int i = 0; i < kRequests; ++i) {
        probes.push_back(std::make_unique<CompletionProbe>());
        progresses.push_back(NSProgress::make());
    }
    std::vector<std::thread> screens;
    for (int i = 0; i < kRequests; ++i)
        screens.emplace_back(
            [&, i] { service.beginAccessing("Video", progresses[i], probes[i]->handler()); });
    for (auto& screen : screens)
        screen.join();
    for (int i = 0; i < kRequests; ++i) {
        ASSERT_TRUE(probes[i]->wait()) << i;
        EXPECT_EQ(probes[i]->errorCode(), 0) << i;
        EXPECT_EQ(progresses[i]->fractionCompleted(), 1.0) << i;
    }
    auto folder = std::filesystem::path(service.bundleDirectory("Video"));
    EXPECT_EQ(readFile(folder / "v.mp4"), video);
    EXPECT_EQ(listNames(folder),
              (std::vector<std::string>{".install-record", ".manifest.json", "v.mp4", "w.mp4"}));
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

TEST_F(ContentServiceHttpTest, InstallsThePacksBuiltFromMedia) {
    // The packs media/CMakeLists.txt makes with larkspire-pack, served as they are built.
    std::filesystem::path packs = LARKSPIRE_PACKS_DIR;
    std::filesystem::create_directory_symlink(packs / "Video", served_ / "Video");
    std::filesystem::create_directory_symlink(packs / "Audio", served_ / "Audio");
    ContentService service(options());
    for (const std::string tag : {"Video", "Audio"}) {
        ASSERT_EQ(fetchPack(service, tag), 0) << tag;
        auto sources = std::filesystem::path(LARKSPIRE_MEDIA_PACKS_SOURCE) / tag;
        auto installed = std::filesystem::path(service.bundleDirectory(tag));
        auto names = listNames(sources);
        ASSERT_FALSE(names.empty()) << tag;
        for (const auto& name : names)
            EXPECT_EQ(readFile(installed / name), readFile(sources / name)) << name;
        names.insert(names.begin(), PackManifest::kInstalledFileName);
        names.insert(names.begin(), PackStore::kInstallRecordName);
        EXPECT_EQ(listNames(installed), names) << tag;
    }
}
