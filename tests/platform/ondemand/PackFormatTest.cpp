// What a pack is made of: digests, URL escapes, the manifest and its rules, and the
// PackBuilder library and larkspire-pack tool that make packs.
#include <gtest/gtest.h>

#include "PackFixtures.h"
#include "Process.h"
#include "TempDirectory.h"
#include "platform/ondemand/ContentError.h"
#include "platform/ondemand/Fetcher.h"
#include "platform/ondemand/PackBuilder.h"
#include "platform/ondemand/Sha256.h"

using namespace packfixtures;
namespace fs = std::filesystem;

namespace {

const std::string kHashOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string manifestWith(const std::string& entries, const std::string& tag = "\"Video\"") {
    return "{\"tag\": " + tag + ", \"files\": [" + entries + "]}";
}

std::string entry(const std::string& name, const std::string& size,
                  const std::string& sha256 = "\"" + kHashOfAbc + "\"") {
    return "{\"name\": " + name + ", \"size\": " + size + ", \"sha256\": " + sha256 + "}";
}

}  // namespace

TEST(PackFormatTest, DigestsAndEscapes) {
    EXPECT_EQ(Sha256::hex("abc", 3), kHashOfAbc);
    Sha256 pieces;
    pieces.update("a", 1);
    pieces.update("bc", 2);
    EXPECT_EQ(pieces.finishHex(), kHashOfAbc);
    EXPECT_EQ(Sha256::hex("", 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Fetcher::percentEncode("Chapter-14_a.b~c.mp4"), "Chapter-14_a.b~c.mp4");
    EXPECT_EQ(Fetcher::percentEncode("a b%c#d?e+f&g\xc3\xa9"), "a%20b%25c%23d%3Fe%2Bf%26g%C3%A9");
}

TEST(PackFormatTest, AManifestReadsBackWhatItWrote) {
    PackManifest original("Audio", {{"Ünïcödé ✓.mp3", 5, kHashOfAbc}, {"b", 0, kHashOfAbc}});
    auto copy = PackManifest::parse(original.toJson());
    EXPECT_EQ(copy.toJson(), original.toJson());
    EXPECT_EQ(copy.totalSize(), 5u);
    // Upper-case digests are accepted and compared in lower case.
    auto upper =
        PackManifest::parse(manifestWith(entry("\"a\"", "3", "\"" + std::string(64, 'A') + "\"")));
    EXPECT_EQ(upper.files()[0].sha256, std::string(64, 'a'));
    EXPECT_TRUE(PackManifest::parse(manifestWith("")).files().empty());
}

TEST(PackFormatTest, ManifestsNoValidPackHasAreRejected) {
    const std::string hash = "\"" + kHashOfAbc + "\"";
    const std::vector<std::string> rejected = {
        // Names that leave the pack's folder or hide in it.
        manifestWith(entry("\"../x\"", "3")),
        manifestWith(entry("\"/etc/x\"", "3")),
        manifestWith(entry("\"a/b\"", "3")),
        manifestWith(entry("\"..\"", "3")),
        manifestWith(entry("\".\"", "3")),
        manifestWith(entry("\"\"", "3")),
        manifestWith(entry("\".manifest.json\"", "3")),
        manifestWith(entry("\"a\\\\b\"", "3")),
        manifestWith(entry("\"a\\u0000b\"", "3")),
        // Sizes.
        manifestWith(entry("\"a\"", "-1")),
        manifestWith(entry("\"a\"", "1.5")),
        manifestWith(entry("\"a\"", "1e30")),
        manifestWith(entry("\"a\"", "\"3\"")),
        manifestWith(entry("\"a\"", "null")),
        manifestWith(entry("\"a\"", "1099511627777")),
        manifestWith(entry("\"a\"", "18446744073709551616")),
        manifestWith(entry("\"a\"", "1099511627776") + "," + entry("\"b\"", "1")),
        // Digests.
        manifestWith(entry("\"a\"", "3", "\"abc\"")),
        manifestWith(entry("\"a\"", "3", "\"" + std::string(63, 'a') + "\"")),
        manifestWith(entry("\"a\"", "3", "\"" + std::string(65, 'a') + "\"")),
        manifestWith(entry("\"a\"", "3", "\"" + std::string(63, 'a') + "g\"")),
        manifestWith(entry("\"a\"", "3", "42")),
        // Documents.
        "",
        "not json",
        "{\"tag\": \"Video\", \"files\": [",
        "[]",
        "{\"files\": []}",
        "{\"tag\": \"Video\"}",
        "{\"tag\": 7, \"files\": []}",
        "{\"tag\": \"Video\", \"files\": {}}",
        manifestWith("", "\"../Video\""),
        manifestWith("42"),
        manifestWith("{\"size\": 3, \"sha256\": " + hash + "}"),
        manifestWith("{\"name\": \"a\", \"sha256\": " + hash + "}"),
        manifestWith("{\"name\": \"a\", \"size\": 3}"),
        manifestWith(entry("\"a\"", "3") + "," + entry("\"a\"", "3")),
        std::string(PackManifest::kMaxJsonSize + 1, ' ') + manifestWith(""),
    };
    for (const auto& text : rejected) {
        try {
            PackManifest::parse(text);
            ADD_FAILURE() << "accepted " << text.substr(0, 100);
        } catch (const ContentError& error) {
            EXPECT_EQ(error.code(), LKSOnDemandBadManifestError) << text.substr(0, 100);
        }
    }
}

TEST(PackFormatTest, SafeNamesStayInsideTheirFolder) {
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("a\\b"),
          std::string(".hidden"), std::string("a\0b", 3), std::string("line\nbreak"),
          std::string(256, 'x'), std::string("bad\xff utf8"), std::string("\xc0\xaf"),
          std::string("\xed\xa0\x80")})
        EXPECT_FALSE(PackManifest::isSafeName(name)) << "accepted \"" << name << "\"";
    for (const std::string name : {"Song one.mp3", "a..b", "Ünïcödé ✓.mp3", "a%2Fb", "x."})
        EXPECT_TRUE(PackManifest::isSafeName(name)) << "refused \"" << name << "\"";
    EXPECT_TRUE(PackManifest::isSafeName(std::string(255, 'x')));
}

TEST(PackFormatTest, TheBuilderCopiesSortsAndRebuildsAPack) {
    TempDirectory work;
    auto source = work / "source", output = work / "out";
    fs::create_directories(source);
    writeFile(source / "b.mp3", "abc");
    writeFile(source / "A song.mp4", randomBytes(3 * 1024 * 1024 + 17, 1));
    writeFile(source / "drop.mp3", "drop");
    PackBuilder::build(source, output, "Video");
    writeFile(output / "unrelated.txt", "not ours");
    fs::remove(source / "drop.mp3");
    std::uint64_t lastDone = 0, lastTotal = 0;
    int calls = 0;
    auto manifest = PackBuilder::build(source, output, "Video", [&](auto done, auto total) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        lastTotal = total;
        ++calls;
    });
    ASSERT_EQ(manifest.files().size(), 2u);
    EXPECT_EQ(manifest.files()[0].name, "A song.mp4");
    EXPECT_EQ(manifest.files()[1].sha256, kHashOfAbc);
    EXPECT_EQ(lastDone, 3u * 1024 * 1024 + 20);
    EXPECT_EQ(lastTotal, lastDone);
    EXPECT_GE(calls, 4) << "progress is reported while copying, chunk by chunk";
    EXPECT_EQ(listNames(output),
              (std::vector<std::string>{"A song.mp4", "b.mp3", "manifest.json", "unrelated.txt"}));
    EXPECT_EQ(readFile(output / "A song.mp4"), readFile(source / "A song.mp4"));
    EXPECT_EQ(readFile(output / "manifest.json"), manifest.toJson());
}

TEST(PackFormatTest, TheBuilderRefusesWhatTheServiceWouldReject) {
    TempDirectory work;
    auto source = work / "source";
    fs::create_directories(source);
    writeFile(source / "ok.mp3", "abc");
    auto refusal = [&](const std::string& tag, const fs::path& from, const fs::path& to) {
        try {
            PackBuilder::build(from, to, tag);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    for (const std::string tag : {"../Video", ".Video", ""})
        EXPECT_NE(refusal(tag, source, work / "out"), "") << tag;
    EXPECT_NE(refusal("Video", source, source), "");
    EXPECT_NE(refusal("Video", source, source / "out"), "");
    EXPECT_NE(refusal("Video", work / "missing", work / "out"), "");
    for (const std::string bad : {".DS_Store", "tab\there.mp3", "manifest.json", "extras"}) {
        bad == "extras" ? (void)fs::create_directories(source / bad) : writeFile(source / bad, "x");
        EXPECT_NE(refusal("Video", source, work / "out").find(bad.substr(0, 3)), std::string::npos)
            << bad;
        fs::remove(source / bad);
    }
    EXPECT_FALSE(fs::exists(work / "out" / "manifest.json"));
    EXPECT_EQ(listNames(source), std::vector<std::string>{"ok.mp3"});
    EXPECT_EQ(refusal("Video", source, work / "out"), "");
}

TEST(PackFormatTest, TheToolPacksAFolderAndReportsBadInput) {
    TempDirectory work;
    auto source = (work / "source").string(), output = (work / "out").string();
    fs::create_directories(source);
    writeFile(work / "source" / "b.mp3", "abc");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } runs[] = {
        {{"--help"}, 0, "--tag"},
        {{source, output}, 2, "usage"},
        {{"--frobnicate"}, 2, ""},
        {{source, output, "--tag", "Audio"}, 0, "Audio"},
    };
    for (const auto& run : runs) {
        std::vector<std::string> argv = {LARKSPIRE_PACK_TOOL};
        argv.insert(argv.end(), run.args.begin(), run.args.end());
        auto result = runProcess(argv);
        EXPECT_EQ(result.status, run.status) << result.output;
        EXPECT_NE(result.output.find(run.says), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find('\r'), std::string::npos) << "no progress bar off a terminal";
    }
    EXPECT_EQ(PackManifest::parse(readFile(work / "out" / "manifest.json")).tag(), "Audio");
    writeFile(work / "source" / ".hidden", "x");
    auto hidden = runProcess({LARKSPIRE_PACK_TOOL, source, output + "2", "--tag=Video"});
    EXPECT_EQ(hidden.status, 1);
    EXPECT_NE(hidden.output.find(".hidden"), std::string::npos) << hidden.output;
    EXPECT_FALSE(fs::exists(work / "out2" / "manifest.json"));
}
