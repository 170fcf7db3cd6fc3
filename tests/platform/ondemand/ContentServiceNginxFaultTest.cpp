// Bad packs on a real web server: what a misconfigured or half-synced CDN would serve. Each
// fault is checked for its error, for leaving nothing that a later request trusts, and for the
// next request succeeding once the server is put right.
#include <gtest/gtest.h>

#include <unistd.h>
#include "NginxServedTest.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <random>

#include "NginxServer.h"
#include "OnDemandTestHelpers.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackManifest.h"

using packfixtures::FileContent;
using packfixtures::writeFile;

namespace {

class ContentServiceNginxFaultTest : public NginxServedTest {
protected:
    void SetUp() override {
        NginxServedTest::SetUp();
        if (HasFatalFailure())
            return;
        files_ = {{"LKSChapter14.mp4", packfixtures::randomBytes(900000, 41)},
                  {"LKSChapter15.mp4", packfixtures::randomBytes(300000, 42)},
                  {"song one.mp3", packfixtures::randomBytes(7000, 43)}};
        manifest_ = packfixtures::writePack(served_, "Video", files_);
    }

    std::filesystem::path servedFile(const std::string& name) const {
        return served_ / "Video" / name;
    }

    // The fault is gone: the same service now installs the whole pack.
    void expectNextRequestSucceeds(ContentService& service) {
        packfixtures::writePack(served_, "Video", files_);
        EXPECT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", files_);
    }

    // Serves a manifest that announces `sizes` for the files, with their true checksums.
    void serveManifestWithSizes(const std::vector<std::uint64_t>& sizes) {
        std::vector<PackFile> entries = manifest_.files();
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].size = sizes[i];
        packfixtures::writeManifestText(served_, "Video", PackManifest("Video", entries).toJson());
    }

    std::vector<FileContent> files_;
    PackManifest manifest_{"Video", {}};
};

}  // namespace

TEST_F(ContentServiceNginxFaultTest, FileTheServerRefusesIsHttpError) {
    // nginx answers 403 for a file it cannot open for a reason other than absence.
    std::filesystem::remove(servedFile("LKSChapter15.mp4"));
    std::filesystem::create_symlink("LKSChapter15.mp4", servedFile("LKSChapter15.mp4"));
    ContentService service(options());
    CompletionProbe probe;
    service.beginAccessing("Video", NSProgress::make(), probe.handler());
    ASSERT_TRUE(probe.wait());
    EXPECT_EQ(probe.errorCode(), LKSOnDemandHTTPError);
    ASSERT_NE(probe.error(), nullptr);
    EXPECT_NE(probe.error()->localizedDescription().find("403"), std::string::npos)
        << probe.error()->localizedDescription();
    expectFailureLeftNothingTrusted(service, "Video");
    std::filesystem::remove(servedFile("LKSChapter15.mp4"));
    expectNextRequestSucceeds(service);
}

TEST_F(ContentServiceNginxFaultTest, TruncatedFileIsSizeMismatch) {
    std::filesystem::resize_file(servedFile("LKSChapter14.mp4"), 450000);
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    expectFailureLeftNothingTrusted(service, "Video");
    expectNextRequestSucceeds(service);
}

TEST_F(ContentServiceNginxFaultTest, FlippedBytesAreChecksumMismatch) {
    std::mt19937 random(std::random_device{}());
    for (const auto& file : files_) {
        auto damaged = file.bytes;
        auto at = std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random);
        damaged[at] = static_cast<char>(damaged[at] ^ 0x80);
        writeFile(servedFile(file.name), damaged);
        SCOPED_TRACE(file.name + ", byte " + std::to_string(at) + " flipped");

        ContentService service(options());
        EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandChecksumMismatchError);
        expectFailureLeftNothingTrusted(service, "Video");
        expectNextRequestSucceeds(service);
        std::filesystem::remove_all(cache_.path() / "packs");
    }
}

TEST_F(ContentServiceNginxFaultTest, ManifestThatLiesAboutSizes) {
    ContentService service(options());
    const auto& files = manifest_.files();
    // Larger than the file: the body ends short of the announced size.
    serveManifestWithSizes({files[0].size, files[1].size + 1, files[2].size});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    expectFailureLeftNothingTrusted(service, "Video");
    // Smaller: the body runs past it.
    serveManifestWithSizes({files[0].size - 1000, files[1].size, files[2].size});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    expectFailureLeftNothingTrusted(service, "Video");
    // Far larger than any disk: refused before a byte is fetched, as too little storage.
    serveManifestWithSizes(
        {PackManifest::kMaxFileSize - files[1].size - files[2].size, files[1].size, files[2].size});
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    expectFailureLeftNothingTrusted(service, "Video");
    expectNextRequestSucceeds(service);
}

TEST_F(ContentServiceNginxFaultTest, DiskFillingUpMidDownloadIsOutOfSpace) {
    // The device takes the first 600 kB, then only part of a write, then nothing.
    constexpr std::size_t kRoom = 600000;
    auto written = std::make_shared<std::atomic<std::size_t>>(0);
    auto full = std::make_shared<std::atomic<bool>>(true);
    auto options = this->options();
    options.write = [written, full](int fd, const void* data, std::size_t size) -> ssize_t {
        if (full->load() && *written + size > kRoom) {
            if (*written >= kRoom) {
                errno = ENOSPC;
                return -1;
            }
            size = kRoom - *written;
        }
        ssize_t result = ::write(fd, data, size);
        if (result > 0)
            *written += static_cast<std::size_t>(result);
        return result;
    };
    ContentService service(options);
    EXPECT_EQ(fetchPack(service, "Video"), NSBundleOnDemandResourceOutOfSpaceError);
    EXPECT_EQ(written->load(), kRoom) << "the disk filled up in the middle of the first file";
    expectFailureLeftNothingTrusted(service, "Video");
    *full = false;
    expectNextRequestSucceeds(service);
}
