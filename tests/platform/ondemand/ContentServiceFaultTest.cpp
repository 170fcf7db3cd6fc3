// The content service against a server that misbehaves: cut connections, wrong bytes, error
// statuses, stalls, nobody listening.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "FaultyHttpServer.h"
#include "NetUtil.h"
#include "OnDemandTestHelpers.h"
#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/Sha256.h"

using packfixtures::listNames;
using packfixtures::readFile;
using Response = FaultyHttpServer::Response;

namespace {

class ContentServiceFaultTest : public testing::Test {
protected:
    void SetUp() override {
        movie_ = packfixtures::randomBytes(400000, 11);
        song_ = packfixtures::randomBytes(1000, 12);
        PackManifest manifest("Video", {{"movie.mp4", movie_.size(), hash(movie_)},
                                        {"song one.mp3", song_.size(), hash(song_)}});
        manifestJson_ = manifest.toJson();
        serveGoodPack();
    }

    static std::string hash(const std::string& bytes) {
        return Sha256::hex(bytes.data(), bytes.size());
    }

    void serveGoodPack() {
        server_.route("/Video/manifest.json", {200, manifestJson_, {}, {}});
        server_.route("/Video/movie.mp4", {200, movie_, {}, {}});
        server_.route("/Video/song%20one.mp3", {200, song_, {}, {}});
    }

    ContentService::Options options() const {
        auto options = testOptions(server_.url(), cache_.path());
        options.lowSpeedTime = std::chrono::seconds(1);
        return options;
    }

    void expectGoodPackInstalled(ContentService& service) {
        auto folder = std::filesystem::path(service.bundleDirectory("Video"));
        EXPECT_EQ(readFile(folder / "movie.mp4"), movie_);
        EXPECT_EQ(readFile(folder / "song one.mp3"), song_);
    }

    FaultyHttpServer server_;
    TempDirectory cache_;
    std::string movie_;
    std::string song_;
    std::string manifestJson_;
};

}  // namespace

TEST_F(ContentServiceFaultTest, ServesTheGoodPack) {
    ContentService service(options());
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectGoodPackInstalled(service);
    EXPECT_EQ(server_.requestCount("/Video/manifest.json"), 1);
    EXPECT_EQ(server_.requestCount("/Video/song%20one.mp3"), 1);
}

TEST_F(ContentServiceFaultTest, ConnectionCutMidFileIsNetworkError) {
    server_.route("/Video/movie.mp4", {200, movie_, 150000, {}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, ConnectionCutInManifestIsNetworkError) {
    server_.route("/Video/manifest.json", {200, manifestJson_, 20, {}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, BytesThatDifferFromChecksumAreRejected) {
    auto corrupt = movie_;
    corrupt[corrupt.size() / 2] ^= 0x01;
    server_.route("/Video/movie.mp4", {200, corrupt, {}, {}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandChecksumMismatchError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, OversizedBodyStopsAtTheAnnouncedSize) {
    std::atomic<std::size_t> written{0};
    auto opts = options();
    opts.write = [&](int fd, const void* data, std::size_t size) {
        written += size;
        return ::write(fd, data, size);
    };
    server_.route("/Video/song%20one.mp3", {200, std::string(8 * 1024 * 1024, 'x'), {}, {}});
    ContentService service(opts);
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandSizeMismatchError);
    EXPECT_LE(written.load(), movie_.size() + song_.size())
        << "bytes beyond the manifest's size must not reach the disk";
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, ServerErrorForAFileIsHttpError) {
    server_.route("/Video/song%20one.mp3", {500, "boom", {}, {}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandHTTPError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, ServerErrorForTheManifestIsHttpError) {
    server_.route("/Video/manifest.json", {503, "later", {}, {}});
    ContentService service(options());
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandHTTPError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, StalledServerFailsWithinBoundedTime) {
    server_.route("/Video/movie.mp4", {200, movie_, {}, 100000});
    ContentService service(options());
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(elapsed, std::chrono::seconds(8)) << "a 1 s low-speed limit must end the stall";
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, StallBeforeAnyByteFailsToo) {
    server_.route("/Video/manifest.json", {200, manifestJson_, {}, 0});
    ContentService service(options());
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
}

TEST_F(ContentServiceFaultTest, NobodyListeningIsNetworkError) {
    auto opts = testOptions("http://127.0.0.1:" + std::to_string(netutil::freeLoopbackPort()),
                            cache_.path());
    ContentService service(opts);
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    expectNoTraceOfFailure(service, "Video", {});
}

TEST_F(ContentServiceFaultTest, EachFaultClearsAndTheNextRequestSucceeds) {
    ContentService service(options());
    server_.route("/Video/movie.mp4", {200, movie_, 1000, {}});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    server_.route("/Video/movie.mp4", {500, "", {}, {}});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandHTTPError);
    server_.route("/Video/movie.mp4", {200, std::string(movie_.size(), 'z'), {}, {}});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandChecksumMismatchError);
    expectNoTraceOfFailure(service, "Video", {});

    serveGoodPack();
    auto progress = NSProgress::make();
    EXPECT_EQ(fetchPack(service, "Video", progress), 0);
    EXPECT_EQ(progress->fractionCompleted(), 1.0);
    expectGoodPackInstalled(service);
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

TEST_F(ContentServiceFaultTest, DestroyingTheServiceCancelsARunningRequest) {
    server_.route("/Video/movie.mp4", {200, movie_, {}, 1000});
    auto opts = options();
    opts.lowSpeedTime = std::chrono::seconds(60);  // only the cancellation can end it
    auto probe = std::make_shared<CompletionProbe>();
    std::filesystem::path staging;
    auto started = std::chrono::steady_clock::now();
    {
        ContentService service(opts);
        staging = service.stagingDirectory();
        service.beginAccessing("Video", NSProgress::make(), probe->handler());
        while (server_.requestCount("/Video/movie.mp4") == 0 &&
               std::chrono::steady_clock::now() - started < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(server_.requestCount("/Video/movie.mp4"), 1);
    }
    EXPECT_EQ(probe->calls(), 1) << "the destructor waits for the completion";
    EXPECT_EQ(probe->errorCode(), LKSOnDemandNetworkError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(listNames(staging), std::vector<std::string>{});
}
