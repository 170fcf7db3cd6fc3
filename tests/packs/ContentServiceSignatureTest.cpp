// Only packs whose manifest a trusted publisher signed install, and only editions that go
// forward: anything else is refused before a single file is fetched, with its cause on one
// line, nothing in the pack folder and nothing kept of an earlier cut transfer of the tag.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "PackFixtures.h"
#include "TempDirectory.h"
#include "packs/EditionRecord.h"
#include "platform/Platform.h"
#include "platform/foundation/NSBundle.h"
#include "platform/resources/NSBundleResourceRequest.h"
#include "platform/resources/PackLibrary.h"
#include "run/LazyContentService.h"

using namespace packfixtures;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using R = FaultyHttpServer::Response;

const std::vector<FileContent> kVideo = {{"LKSChapter14.mp4", randomBytes(200000, 71)},
                                         {"LKSChapter15.mp4", randomBytes(150000, 72)}};

}  // namespace

TEST(ContentServiceSignatureTest, OnlyManifestsSignedByATrustedKeyAreReadAndTheirFilesFetched) {
    auto swapped = kVideo;
    swapped[1].bytes = randomBytes(170000, 73);  // another video, its size and hash rewritten
    auto older = kVideo;
    older[0].bytes = randomBytes(190000, 74);
    const std::string manifest = manifestOf("Video", kVideo),
                      rewritten = manifestOf("Video", swapped), audio = manifestOf("Audio", kVideo),
                      signature = signatureOf("Video", manifest);
    const struct {
        const char* what;
        const std::vector<FileContent>& files;
        std::string json;
        std::optional<std::string> signature;  // none: the server has no signature file
        std::string says;                      // after the manifest's URL; empty: installs
    } cases[] = {
        {"signed pack", kVideo, manifest, signature, ""},
        {"swapped file, unsigned", swapped, rewritten, std::nullopt,
         "not signed by a trusted publisher (no manifest.json.sig beside it)"},
        {"swapped file, another key", swapped, rewritten,
         signatureOf("Video", rewritten, Signer::stranger),
         "not signed by a trusted publisher (unknown key "},
        {"Audio's signed manifest as Video", kVideo, audio, signatureOf("Audio", audio),
         "signature does not match"},
        {"truncated signature", kVideo, manifest, signature.substr(0, signature.size() - 9),
         "not signed by a trusted publisher (the signature is malformed)"},
        {"signature for another pack format", kVideo, manifest,
         "larkspire-pack-signature 2" + signature.substr(signature.find('\n')),
         "signed as pack format 2, this application reads format 1"},
        {"signature of an older manifest", kVideo, manifest,
         signatureOf("Video", manifestOf("Video", older)), "signature does not match"},
    };
    FaultyHttpServer server;
    TempDirectory cache;
    ContentService service(testOptions(server.url(), cache.path()));
    const auto manifestUrl = server.url() + "/Video/manifest.json";
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        fs::remove_all(service.bundleDirectory("Video"));
        // A cut transfer keeps the first file for the next request to carry on from.
        auto paths = cutOnce(server, service, kVideo, 1000);

        servePack(server, "Video", testCase.files);
        server.route("/Video/manifest.json", {200, testCase.json});
        server.route("/Video/manifest.json.sig",
                     testCase.signature ? R{200, *testCase.signature} : R{404, ""});
        auto fileFetches = [&] {
            return server.requestCount(paths[1].first) + server.requestCount(paths[2].first);
        };
        const int fetchesBefore = fileFetches();
        const auto [cause, code, said] = fetchPack(service, "Video");
        if (testCase.says.empty()) {
            EXPECT_EQ(code, 0) << said;
            expectPackInstalled(service, "Video", testCase.files);
            continue;
        }
        std::cout << "[  refused ] " << testCase.what << ": " << said << "\n";
        EXPECT_EQ(code, LKSOnDemandUntrustedError);
        EXPECT_EQ(said.rfind(manifestUrl + ": " + testCase.says, 0), 0u) << said;
        EXPECT_EQ(said.find('\n'), std::string::npos);
        EXPECT_EQ(fileFetches(), fetchesBefore) << "a file was fetched";
        EXPECT_FALSE(fs::exists(service.bundleDirectory("Video"))) << "the pack folder changed";
        EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{})
            << "what the cut transfer kept was not dropped";
    }
}

TEST(ContentServiceSignatureTest, EditionsOnlyGoForwardEvenAcrossRemovingThePack) {
    auto other = kVideo, older = kVideo;
    other[1].bytes = randomBytes(160000, 75);
    older[0].bytes = randomBytes(180000, 76);  // a chapter the publisher withdrew since
    const struct {
        const char* what;
        std::uint64_t edition;
        const std::vector<FileContent>& files;
        bool removeFirst;        // else a file of the installed pack is lost, so it is fetched
        std::string says;        // after the manifest's URL; empty: installs
        std::uint64_t recorded;  // the edition recorded after the request
    } rows[] = {
        {"first edition", 3, kVideo, true, "", 3},
        {"same edition and bytes, removed first", 3, kVideo, true, "", 3},
        {"same edition, other files", 3, other, false,
         "edition 3 differs from the edition 3 accepted before", 3},
        {"a mirror serving an older signed edition after a newer one was installed and removed", 2,
         older, true, "edition 2 is older than edition 3 accepted before", 3},
        {"newer edition", 4, other, false, "", 4},
        {"the edition it replaced", 3, kVideo, false,
         "edition 3 is older than edition 4 accepted before", 4},
    };
    FaultyHttpServer server;
    TempDirectory cache;
    const auto record = cache / "editions" / "Video";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ContentService service(testOptions(server.url(), cache.path()));
        auto bundle = fs::path(service.bundleDirectory("Video"));
        row.removeFirst ? service.removePack("Video") : (void)fs::remove(bundle / kVideo[0].name);
        auto before = snapshotOf(bundle);
        auto paths = serveEdition(server, "Video", row.files, row.edition);
        const int fetches = server.requestCount(paths[1].first);
        const auto [cause, code, said] = fetchPack(service, "Video");
        if (row.says.empty()) {
            EXPECT_EQ(code, 0) << said;
            expectPackInstalled(service, "Video", row.files);
        } else {
            std::cout << "[  refused ] " << row.what << ": " << said << "\n";
            EXPECT_EQ(code, LKSOnDemandUntrustedError);
            EXPECT_EQ(said, server.url() + "/Video/manifest.json: " + row.says);
            EXPECT_EQ(server.requestCount(paths[1].first), fetches) << "a file was fetched";
            expectNothingTrusted(service, "Video", before);
        }
        EXPECT_EQ(EditionRecord::parse(readFile(record)).value().at(0).edition, row.recorded);
    }

    // A record that cannot be read refuses every edition and stays as it is until a person
    // removes it; one that links elsewhere, even to a sound record, is not followed.
    TempDirectory outside;
    writeFile(outside / "record", readFile(record));
    for (const auto& damage : {std::string(), readFile(record) + " ", "edition 4\n"s, "link"s}) {
        SCOPED_TRACE(damage);
        fs::remove(record);
        damage == "link" ? fs::create_symlink(outside / "record", record)
                         : writeFile(record, damage);
        ContentService service(testOptions(server.url(), cache.path()));
        service.removePack("Video");
        serveEdition(server, "Video", kVideo, 5);
        const auto [cause, code, said] = fetchPack(service, "Video");
        EXPECT_EQ(code, LKSOnDemandStorageError);
        EXPECT_TRUE(said.starts_with(record.string() + ": the record of the edition accepted"))
            << said;
        EXPECT_TRUE(damage == "link" ? fs::is_symlink(record) : readFile(record) == damage);
    }
    fs::remove(record);
    ContentService service(testOptions(server.url(), cache.path()));
    EXPECT_EQ(fetchPack(service, "Video"), 0);
    EXPECT_EQ(EditionRecord::parse(readFile(record)).value().at(0).edition, 5u);
}

// A screen's lookup finds a pack's file only once a request of this run has checked the pack
// with the keys trusted now, and not after its removal; the listing (without the module) calls
// a pack signed by a withdrawn key absent, and a server signing with a trusted key mends it.
TEST(ContentServiceSignatureTest, FilesArePlayedOnlyFromAPackCheckedInThisRunByAKeyTrustedNow) {
    enum Action { look, request, swap, removal };
    const struct {
        const char* what;
        bool newRun, online, withdraw;  // withdraw: the publisher's key, and the server re-signs
        Action action;
        long code;
        bool found, listed;
    } steps[] = {
        {"fetched", true, true, false, request, 0, true, true},
        {"the next run, no request yet", true, false, false, look, 0, false, true},
        {"requested offline", false, false, false, request, 0, true, true},
        {"a file swapped since", false, false, false, swap, 0, false, true},
        {"removed", false, false, false, removal, 0, false, false},
        {"fetched again", true, true, false, request, 0, true, true},
        {"its key withdrawn, offline", true, false, true, request, LKSOnDemandNetworkError, false,
         false},
        {"its key withdrawn, online", true, true, false, request, 0, true, true},
    };
    FaultyHttpServer server;
    TempDirectory cache, keys;
    fs::copy(trustedKeys(), keys.path());
    auto options = [&](bool online) {
        return testOptions(online ? server.url() : unreachableBaseUrl(), cache.path(), keys.path());
    };
    auto manifest = servePack(server, "Video", kVideo)[0].second;
    std::shared_ptr<PackLibrary> library;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.withdraw) {
            fs::remove(keys / "publisher.pub");
            server.route("/Video/manifest.json.sig",
                         {200, signatureOf("Video", manifest, Signer::rotated)});
        }
        if (step.newRun) {
            // The library's main queue runs at once: the test waits meanwhile.
            library = std::make_shared<PackLibrary>(
                std::make_shared<ContentService>(options(step.online)),
                [](std::function<void()> block) { block(); }, nullptr, std::cerr);
            Platform::install({nullptr, library, nullptr, nullptr, {}});
        }
        if (step.action == request) {
            CompletionProbe probe;
            library->request("Video", nullptr, probe.handler());
            ASSERT_TRUE(probe.wait());
            EXPECT_EQ(probe.errorCode(), step.code) << probe.description();
        } else if (step.action == swap) {
            writeFile(cache / "packs/Video" / kVideo[0].name, randomBytes(200000, 77));
        } else if (step.action == removal) {
            EXPECT_FALSE(library->remove("Video").has_value());
        }
        auto bundle = NSBundleResourceRequest::initWithTags({"Video"})->bundle();
        EXPECT_EQ(bundle->pathForResource("LKSChapter14", "mp4").has_value(), step.found);
        // Only what the manifest lists is handed out, captions beside a chapter included.
        if (fs::exists(cache / "packs/Video"))
            writeFile(cache / "packs/Video/LKSChapter14.fr.vtt", "WEBVTT\n");
        EXPECT_FALSE(bundle->pathForResource("LKSChapter14.fr", "vtt").has_value());
        auto beside = library->listedBeside((cache / "packs/Video/LKSChapter14.mp4").string());
        EXPECT_EQ(beside.value_or(std::vector<std::string>{"?"}).size(),
                  step.found ? kVideo.size() : 0u);
        auto listing = lazyContentService(options(false), "/nonexistent.so")->installedPacks();
        EXPECT_EQ(listing.size(), step.listed ? 1u : 0u);
    }
    library.reset();
    Platform::uninstall();
}
