// A pack whose transfer was cut carries on from what it kept, and falls back to a whole
// transfer whenever what was kept cannot be trusted or the server cannot carry on from it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "PackFixtures.h"
#include "Process.h"
#include "TempDirectory.h"
#include "packs/PackStore.h"
#include "packs/Sha256.h"

using namespace packfixtures;
namespace fs = std::filesystem;

namespace {

using R = FaultyHttpServer::Response;

const std::vector<FileContent> kPack = {{"a.bin", randomBytes(300000, 61)},
                                        {"b.bin", randomBytes(400000, 62)},
                                        {"c.bin", randomBytes(5000, 63)}};

// No test here waits on a stall: a slow (sanitized, loaded) run must not pass for one.
ContentService::Options patientOptions(FaultyHttpServer& server, const TempDirectory& cache) {
    auto options = testOptions(server.url(), cache.path());
    options.rateWindow = std::chrono::seconds(20);
    return options;
}

}  // namespace

// What a cut transfer kept, as the next request finds it: carried on from while it is sound and
// the server can carry on, else fetched whole; the pack installs in bounded time, and nothing
// outside the cache is read, changed or linked to.
TEST(ContentServiceResumeTest, ACutFileCarriesOnOnlyFromWhatIsSoundAndTouchesNothingOutside) {
    const std::size_t size = kPack[1].bytes.size(), cutAt = size * 9 / 10, rest = size - cutAt;
    auto changed = kPack;
    changed[1].bytes = randomBytes(size, 64);
    // A pack folder as an install leaves it, made by hand: sound and signed, so only the link
    // checks keep a request from trusting it.
    auto installAt = [](const fs::path& folder) {
        writePack(folder.parent_path(), folder.filename().string(), kPack);
        fs::rename(folder / PackManifest::kFileName, folder / PackManifest::kInstalledFileName);
        fs::rename(folder / PackManifest::kSignatureFileName,
                   folder / PackManifest::kInstalledSignatureName);
        writeFile(folder / PackStore::kInstallRecordName, "verified");
    };
    enum Damage { none, prefix, prefixAndRecord, linkOut, linkToZero, fifo, folder, etagWithCrLf };
    const struct {
        const char* what;
        const char* entry;  // in the cache, after a cut transfer of "b.bin"
        Damage damage;
        const char* target;    // of a link, in the outside folder
        std::size_t bytesOfB;  // sent by the next request: the rest when carried on
        bool keepsA;           // else the next request fetches the whole "a.bin" again
        bool ranges = true;    // the server's, and its ETag and pack, for the next request
        const char* etag = "v1";
        const std::vector<FileContent>* served = &kPack;
    } rows[] = {
        {"carries on with a range", "", none, "", rest, true},
        {"server ignores ranges", "", none, "", size, true, false},
        {"file changed: another ETag", "", none, "", size, true, true, "v2"},
        {"file changed: another hash in the manifest", "", none, "", size, true, true, "v2",
         &changed},
        {"kept prefix fails its check", "staging/Video.resume/b.bin", prefix, "", size, true},
        // Only the whole file's hash can tell, once the rest has come: then it comes again whole.
        {"kept prefix damaged with its record", "staging/Video.resume/b.bin", prefixAndRecord, "",
         rest + size, true},
        {"resume folder links outside", "staging/Video.resume", linkOut, "", size, false},
        {"resume record links to /dev/zero", "staging/Video.resume/.resume.json", linkToZero, "",
         size, false},
        {"resume record is a FIFO", "staging/Video.resume/.resume.json", fifo, "", size, false},
        {"kept file links outside", "staging/Video.resume/a.bin", linkOut, "keep.txt", rest, false},
        {"kept file is a folder", "staging/Video.resume/a.bin", folder, "", rest, false},
        // Sent as it is, the line would end If-Range and start a header of its own.
        {"ETag with CR/LF in the record", "staging/Video.resume/.resume.json", etagWithCrLf, "",
         rest, true},
        {"manifest copy links outside", "packs/Video/.manifest.json", linkOut,
         "Video/.manifest.json", rest, true},
        {"installed pack links outside", "packs/Video", linkOut, "Video", rest, true},
        {"staging folder links outside", "staging", linkOut, "", size, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FaultyHttpServer server;
        TempDirectory cache, outside;
        writeFile(outside / "keep.txt", "not the cache's");
        installAt(outside / "Video");
        ContentService service(patientOptions(server, cache));
        auto paths = cutOnce(server, service, kPack, cutAt);
        auto entry = cache / row.entry;
        if (entry.parent_path() == cache / "packs" / "Video")
            installAt(entry.parent_path());
        std::string bytes =
            row.damage == prefix || row.damage == prefixAndRecord ? readFile(entry) : "";
        if (!bytes.empty()) {
            bytes[bytes.size() / 3] ^= 0x20;
            writeFile(entry, bytes);
        }
        if (row.damage == prefixAndRecord || row.damage == etagWithCrLf) {
            const auto path = cache / "staging/Video.resume/.resume.json";
            auto record = nlohmann::json::parse(readFile(path));
            for (auto& file : record) {
                if (row.damage == etagWithCrLf)
                    file["etag"] = "\"v0\"\r\nX-Injected: 1";
                else if (file.at("name") == "b.bin")
                    file["prefixSha256"] = Sha256::hex(bytes.data(), bytes.size());
            }
            writeFile(path, record.dump());
        }
        if (row.damage >= linkOut && row.damage <= folder)  // these replace the entry
            fs::remove_all(entry);
        if (row.damage == linkOut || row.damage == linkToZero)
            fs::create_symlink(row.damage == linkOut ? outside / row.target : "/dev/zero", entry);
        ASSERT_TRUE(row.damage != fifo || ::mkfifo(entry.c_str(), 0644) == 0);
        if (row.damage == folder)
            fs::create_directories(entry / "x");
        auto before = snapshotOf(outside.path());
        for (const auto& [path, body] : servePack(server, "Video", *row.served))
            server.route(path, R{200, body, {}, {}, row.etag, row.ranges});
        std::size_t sentA = server.bytesSent(paths[1].first);
        std::size_t sentB = server.bytesSent(paths[2].first);
        auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(fetchPack(service, "Video"), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        expectPackInstalled(service, "Video", *row.served);
        EXPECT_EQ(server.bytesSent(paths[2].first) - sentB, row.bytesOfB);
        EXPECT_EQ(server.bytesSent(paths[1].first) - sentA, row.keepsA ? 0 : kPack[0].bytes.size())
            << "a whole kept file was fetched again, or one not to be trusted was not";
        EXPECT_TRUE(snapshotOf(outside.path()) == before) << "a file outside the cache changed";
        for (const auto& entry : fs::recursive_directory_iterator(cache.path()))
            EXPECT_FALSE(entry.is_symlink()) << entry.path() << " links out of the cache";
    }
}

TEST(ContentServiceResumeTest, AProcessKilledWhileCarryingOnLeavesAPrefixTheNextOneTrusts) {
    const std::vector<FileContent> files = {{"a.bin", randomBytes(100000, 71)},
                                            {"b.bin", randomBytes(4000000, 72)}};
    const std::size_t cutAt = 2000000;
    FaultyHttpServer server;
    TempDirectory cache;
    ContentService service(patientOptions(server, cache));
    auto paths = cutOnce(server, service, files, cutAt);
    // The next attempt, in a process of its own, receives more of the file and is killed.
    const std::string& b = paths[2].first;
    server.route(b, R{200, paths[2].second, {}, 1000000, "v1", true});
    std::size_t sent = server.bytesSent(b);
    {
        Process fetch({LARKSPIRE_FETCH_PROCESS, server.url(), cache.path().string(), "Video",
                       trustedKeys().string()});
        ASSERT_TRUE(fetch.waitForOutput(std::chrono::seconds(30)));
        for (int i = 0; i < 3000 && server.bytesSent(b) < sent + 1000000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(server.bytesSent(b), sent + 1000000) << "the killed attempt did not carry on";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        fetch.kill();
        EXPECT_EQ(fetch.wait(), 128 + 9);
    }
    expectNothingTrusted(service, "Video");
    // What the killed attempt wrote past the recorded prefix is not trusted: the prefix is.
    server.route(b, R{200, paths[2].second, {}, {}, "v1", true});
    sent = server.bytesSent(b);
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    expectPackInstalled(service, "Video", files);
    EXPECT_EQ(server.bytesSent(b) - sent, files[1].bytes.size() - cutAt);
}

// A cache folder swapped, from a call the service makes, for a link to a folder holding what a
// request following it would write into, install or delete: the request fails and touches
// nothing outside; the next one replaces the link and installs the pack.
TEST(ContentServiceResumeTest, AFolderSwappedForALinkMidRequestLeadsNowhereOutsideTheCache) {
    const struct {
        const char *folder, *target;  // in the cache, and what it links to outside
        bool whileWriting;            // else when the free space is asked
    } rows[] = {{"staging", "", false},
                {"staging", "", true},
                {"staging/Video.resume", "Video.resume", true},
                {"packs", "", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.folder) + (row.whileWriting ? ", writing" : ", probing"));
        FaultyHttpServer server;
        TempDirectory cache, outside;
        writePack(outside.path(), "Video.resume", kPack);
        writePack(outside.path(), "Video", kPack);
        const auto before = snapshotOf(outside.path());
        std::atomic<bool> swapped{false};
        auto swap = [&](bool writing) {
            if (writing != row.whileWriting || swapped.exchange(true))
                return;
            fs::rename(cache / row.folder, cache / "moved");
            fs::create_directory_symlink(outside / row.target, cache / row.folder);
        };
        auto options = patientOptions(server, cache);
        options.write = [&](int fd, const void* data, std::size_t size) {
            swap(true);
            return ::write(fd, data, size);
        };
        options.spaceProbe = [&](const fs::path&) -> std::optional<std::uint64_t> {
            swap(false);
            return 1 << 30;
        };
        ContentService service(options);
        servePack(server, "Video", kPack);
        EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandStorageError);
        EXPECT_TRUE(swapped.load());
        ASSERT_EQ(fetchPack(service, "Video"), 0);
        expectPackInstalled(service, "Video", kPack);
        EXPECT_TRUE(snapshotOf(outside.path()) == before) << "a file outside the cache changed";
    }
}
