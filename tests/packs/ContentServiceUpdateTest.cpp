// Packs that stay current and sound: a newer edition fetches only what changed and replaces the
// installed one whole, never from under a playing file; what may not replace it is refused with
// its line; installed files are hashed again and only the damaged ones fetched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <iostream>
#include <limits>
#include <thread>

#include "PackFixtures.h"
#include "TempDirectory.h"
#include "packs/PackStore.h"
#include "platform/media/PlayingMedia.h"

using namespace packfixtures;
namespace fs = std::filesystem;

namespace {

const std::vector<FileContent> kEdition1 = {
    {"movie.mp4", randomBytes(400000, 31)},
    {"song.mp3", randomBytes(20000, 32)},
    {"movie.en.vtt", "WEBVTT\n\n00:01.000 --> 00:03.000\nOnce upon a tide.\n"}};
// The publisher's caption fix.
std::vector<FileContent> withCaptions(const std::string& line) {
    auto files = kEdition1;
    files[2].bytes = "WEBVTT\n\n00:01.000 --> 00:03.000\n" + line + "\n";
    return files;
}

std::uint64_t inodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST(ContentServiceUpdateTest, ANewEditionFetchesOnlyWhatChangedAndAnythingElseLeavesTheOldOne) {
    enum Action { request, update, updateWhenDue, look };
    using Found = PackUpdate::Found;
    const auto fixed = withCaptions("Once upon a time."), other = withCaptions("Twice.");
    const std::int64_t past = 1577836800;      // 2020-01-01T00:00:00Z
    using Fetched = std::vector<std::size_t>;  // which of manifest, signature and files had a body
    const auto last = std::numeric_limits<std::uint64_t>::max();
    const struct Row {
        const char* what;
        std::vector<FileContent> files;
        std::uint64_t edition;
        Action action;
        Found found;  // with no code
        Fetched fetched;
        std::uint64_t installed;  // the edition, after the row
        long code = 0;
        std::string says = {};
        Signer signer = Signer::publisher;
        std::optional<std::int64_t> expires = {};
        bool withdraw = false;  // the rotated key, from here on
        bool broken = false;    // the changed file is served with other bytes
    } rows[] = {
        {"nothing new: one conditional request", kEdition1, 1, update, Found::upToDate, Fetched{},
         1},
        {"asked again within the day", kEdition1, 1, updateWhenDue, Found::notDue, Fetched{}, 1},
        {"edition 2 offered", fixed, 2, look, Found::available, Fetched{0, 1}, 1},
        {"edition 2 installed", fixed, 2, update, Found::installed, Fetched{0, 1, 4}, 2},
        {"an older edition", kEdition1, 1, update, Found{}, Fetched{0, 1}, 2,
         LKSOnDemandUntrustedError, "edition 1 is older than edition 2 installed"},
        {"the same edition, other bytes", other, 2, update, Found{}, Fetched{0, 1}, 2,
         LKSOnDemandUntrustedError, "edition 2 differs from the edition 2 installed"},
        {"an unknown key", other, 3, update, Found{}, Fetched{0, 1}, 2, LKSOnDemandUntrustedError,
         "not signed by a trusted publisher (unknown key", Signer::stranger},
        {"expired", other, 3, update, Found{}, Fetched{0, 1}, 2, LKSOnDemandUntrustedError,
         "edition 3 expired on 2020-01-01T00:00:00Z and is offered no more", Signer::publisher,
         past},
        {"the changed file does not match", other, 3, update, Found{}, Fetched{0, 1, 4}, 2,
         LKSOnDemandChecksumMismatchError, "\"movie.en.vtt\" does not match its checksum",
         Signer::publisher, std::nullopt, false, true},
        {"a leaked key's last edition", other, last, update, Found::installed, Fetched{0, 1, 4},
         last, 0, "", Signer::rotated},
        {"the leaked key withdrawn: neither plays nor holds back", fixed, 3, request, Found{},
         Fetched{0, 1, 4}, 3, 0, "", Signer::publisher, std::nullopt, true},
    };
    FaultyHttpServer server;
    TempDirectory cache, keys;
    fs::copy(trustedKeys(), keys.path());
    auto paths = serveEdition(server, "Video", kEdition1, 1);
    paths.insert(paths.begin() + 1, {"/Video/manifest.json.sig", ""});
    auto options = testOptions(server.url(), cache.path(), keys.path());
    ASSERT_EQ(fetchPack(*std::make_unique<ContentService>(options), "Video"), 0);
    const auto bundle = cache / "packs" / "Video";
    const auto movie = inodeOf(bundle / "movie.mp4");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.withdraw)
            fs::remove(keys / "rotated.pub");
        ContentService service(options);
        serveEdition(server, "Video", row.files, row.edition, row.signer, row.expires);
        if (row.broken)
            server.route(paths[4].first, {200, std::string(row.files[2].bytes.size(), 'x')});
        std::vector<std::size_t> before;
        for (const auto& [path, body] : paths)
            before.push_back(server.bytesSent(path));
        auto installedBefore = snapshotOf(bundle);
        installedBefore.erase(PackStore::kInstallRecordName);
        Outcome<PackUpdate> outcome;
        if (row.action == request) {
            const auto fetched = fetchPack(service, "Video");
            outcome = {{}, fetched.code, fetched.said};
        } else {
            outcome = updatePack(service, "Video", row.action == updateWhenDue, row.action != look);
        }
        std::cout << "[  update  ] " << row.what << ": " << outcome.said << "\n";
        EXPECT_EQ(outcome.code, row.code) << outcome.said;
        EXPECT_NE(outcome.said.find(row.says), std::string::npos) << outcome.said;
        EXPECT_TRUE(row.code != 0 || row.action == request || outcome.result.found == row.found);
        EXPECT_TRUE(row.found != Found::available ||
                    outcome.result.bytesToFetch == row.files[2].bytes.size());
        std::vector<std::size_t> fetched;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (server.bytesSent(paths[i].first) > before[i])
                fetched.push_back(i);
        }
        EXPECT_EQ(fetched, row.fetched) << "only the manifest, its signature and what changed";
        EXPECT_EQ(service.installedPacks().at(0).edition, row.installed);
        // The record follows the change times that linking unchanged files gives; lookups still
        // find the files, with no hashing.
        auto installedAfter = snapshotOf(bundle);
        installedAfter.erase(PackStore::kInstallRecordName);
        EXPECT_TRUE(row.code == 0 || installedAfter == installedBefore) << "the pack changed";
        EXPECT_TRUE(service.unchangedSinceChecked("Video"));
        // Whatever happened, what is installed plays at once, and every unchanged file is the
        // very one fetched at first.
        auto offline = options;
        offline.baseUrl = unreachableBaseUrl();
        EXPECT_EQ(fetchPack(*std::make_unique<ContentService>(offline), "Video"), 0);
        EXPECT_EQ(inodeOf(bundle / "movie.mp4"), movie);
        EXPECT_EQ(listNames(cache / "staging"), std::vector<std::string>{});
    }
    EXPECT_EQ(server.requestCount("/Video/manifest.json"), 11) << "one request a row, no more";
}

TEST(ContentServiceUpdateTest, TheSwapWaitsForAPlayingFileAndAChecksDamageIsFetchedAlone) {
    FaultyHttpServer server;
    TempDirectory cache;
    auto paths = serveEdition(server, "Video", kEdition1, 1);
    ContentService service(testOptions(server.url(), cache.path()));
    ASSERT_EQ(fetchPack(service, "Video"), 0);
    const auto bundle = cache / "packs" / "Video";

    // Edition 2 arrives whole while the chapter plays, and goes in once it has ended.
    serveEdition(server, "Video", withCaptions("Once upon a time."), 2);
    PlayingMedia::opened((bundle / "movie.mp4").string());
    auto update =
        std::async(std::launch::async, [&] { return updatePack(service, "Video", 0, 1); });
    for (int i = 0; i < 1000 && server.requestCount(paths[3].first) < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(update.wait_for(std::chrono::milliseconds(600)), std::future_status::timeout)
        << "the pack was replaced under a playing file";
    EXPECT_EQ(service.installedPacks().at(0).edition, 1u);
    PlayingMedia::closed((bundle / "movie.mp4").string());
    EXPECT_EQ(update.get().result.found, PackUpdate::Found::installed);
    EXPECT_EQ(service.installedPacks().at(0).edition, 2u);

    // A byte the disk rotted: named, out of play, and the next request fetches that file alone.
    auto bytes = readFile(bundle / "movie.mp4");
    bytes[1234] ^= 0x20;
    writeFile(bundle / "movie.mp4", bytes);
    auto check = checkPack(service, "Video", false);
    EXPECT_TRUE(check.result.done);
    EXPECT_EQ(check.result.damaged, std::vector<std::string>{"movie.mp4"});
    EXPECT_TRUE(service.installedPacks().empty());
    const auto movieSent = server.bytesSent(paths[1].first),
               songSent = server.bytesSent(paths[2].first);
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_EQ(server.bytesSent(paths[1].first), movieSent + kEdition1[0].bytes.size());
    EXPECT_EQ(server.bytesSent(paths[2].first), songSent);
    EXPECT_FALSE(checkPack(service, "Video", true).result.done) << "hashed just now: not due";

    // A damaged record of 4 MiB costs one rehash, without the network, and then none.
    const auto record = bundle / PackStore::kInstallRecordName;
    writeFile(record, std::string(4 << 20, 'x'));
    ContentService offline(testOptions(unreachableBaseUrl(), cache.path()));
    EXPECT_EQ(fetchPack(offline, "Video"), 0);
    const auto rewritten = inodeOf(record);
    EXPECT_LT(fs::file_size(record), 4096u);
    EXPECT_EQ(fetchPack(offline, "Video"), 0);
    EXPECT_EQ(inodeOf(record), rewritten) << "hashed again although the record vouched";
}

// A family back from a trip, or with a wrong clock, keeps its stories; no expired edition of a
// pack installs anew.
TEST(ContentServiceUpdateTest, AnExpiredManifestIsRefusedButTheInstalledPackPlaysOn) {
    FaultyHttpServer server;
    TempDirectory cache;
    const auto now = std::chrono::system_clock::now();
    const std::int64_t expires = std::chrono::system_clock::to_time_t(now + std::chrono::hours(1));
    serveEdition(server, "Video", kEdition1, 1, Signer::publisher, expires);
    auto options = testOptions(server.url(), cache.path());
    ASSERT_EQ(fetchPack(*std::make_unique<ContentService>(options), "Video"), 0);
    options.clock = [now] { return now + std::chrono::hours(2); };
    ContentService later(options);
    EXPECT_EQ(fetchPack(later, "Video"), 0);
    later.removePack("Video");
    const auto [cause, code, said] = fetchPack(later, "Video");
    EXPECT_EQ(code, LKSOnDemandUntrustedError);
    EXPECT_NE(said.find("edition 1 expired on " + PackManifest::timeText(expires)),
              std::string::npos)
        << said;
}
