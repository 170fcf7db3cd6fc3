// Only packs whose manifest a trusted publisher signed install: anything else is refused before
// a single file is fetched, with its cause on one line, nothing in the pack folder and nothing
// kept of an earlier cut transfer of the tag.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "PackFixtures.h"
#include "TempDirectory.h"

using namespace packfixtures;
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
        {"signature of an older manifest", kVideo, manifest,
         signatureOf("Video", manifestOf("Video", older)), "signature does not match"},
        {"second trusted key", kVideo, manifest, signatureOf("Video", manifest, Signer::rotated),
         ""},
    };
    FaultyHttpServer server;
    TempDirectory cache;
    ContentService service(testOptions(server.url(), cache.path()));
    const auto manifestUrl = server.url() + "/Video/manifest.json";
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        fs::remove_all(service.bundleDirectory("Video"));
        // A cut transfer keeps the first file for the next request to carry on from.
        auto paths = servePack(server, "Video", kVideo);
        for (const auto& [path, body] : paths)
            server.route(path, R{200, body, {}, {}, "v1", true});
        server.route(paths[2].first, R{200, paths[2].second, 1000, {}, "v1", true});
        ASSERT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
        ASSERT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{"Video.resume"});

        servePack(server, "Video", testCase.files);
        server.route("/Video/manifest.json", {200, testCase.json});
        server.route("/Video/manifest.json.sig",
                     testCase.signature ? R{200, *testCase.signature} : R{404, ""});
        auto fileFetches = [&] {
            return server.requestCount(paths[1].first) + server.requestCount(paths[2].first);
        };
        const int fetchesBefore = fileFetches();
        std::string said;
        long code = fetchPack(service, "Video", &said);
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
