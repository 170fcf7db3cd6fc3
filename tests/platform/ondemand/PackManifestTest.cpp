#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSError.h"
#include "platform/ondemand/ContentError.h"
#include "platform/ondemand/Fetcher.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/Sha256.h"

namespace {

const std::string kHashOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string manifestWith(const std::string& fileEntries, const std::string& tag = "\"Video\"") {
    return "{\"tag\": " + tag + ", \"files\": [" + fileEntries + "]}";
}

std::string entry(const std::string& name, const std::string& size,
                  const std::string& sha256 = "\"" + kHashOfAbc + "\"") {
    return "{\"name\": " + name + ", \"size\": " + size + ", \"sha256\": " + sha256 + "}";
}

long parseErrorCode(const std::string& json) {
    try {
        PackManifest::parse(json);
        return 0;
    } catch (const ContentError& error) {
        return error.code();
    }
}

}  // namespace

TEST(Sha256, MatchesKnownDigestsWholeAndInPieces) {
    EXPECT_EQ(Sha256::hex("abc", 3), kHashOfAbc);
    EXPECT_EQ(Sha256::hex("", 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256 pieces;
    pieces.update("a", 1);
    pieces.update("bc", 2);
    EXPECT_EQ(pieces.finishHex(), kHashOfAbc);
}

TEST(PercentEncoding, KeepsUnreservedAndEscapesEverythingElse) {
    EXPECT_EQ(Fetcher::percentEncode("Chapter-14_a.b~c.mp4"), "Chapter-14_a.b~c.mp4");
    EXPECT_EQ(Fetcher::percentEncode("a b%c#d?e+f&g"), "a%20b%25c%23d%3Fe%2Bf%26g");
    EXPECT_EQ(Fetcher::percentEncode("\xc3\xa9"), "%C3%A9");
}

TEST(PackManifest, ParsesFilesSizesAndHashes) {
    auto manifest = PackManifest::parse(
        manifestWith(entry("\"LKSChapter14.mp4\"", "3") + "," +
                     entry("\"Song one.mp3\"", "1024", "\"" + std::string(64, 'A') + "\"")));
    EXPECT_EQ(manifest.tag(), "Video");
    ASSERT_EQ(manifest.files().size(), 2u);
    EXPECT_EQ(manifest.files()[0].name, "LKSChapter14.mp4");
    EXPECT_EQ(manifest.files()[0].size, 3u);
    EXPECT_EQ(manifest.files()[0].sha256, kHashOfAbc);
    // Upper-case digests are accepted and compared in lower case.
    EXPECT_EQ(manifest.files()[1].sha256, std::string(64, 'a'));
    EXPECT_EQ(manifest.totalSize(), 1027u);
}

TEST(PackManifest, RoundTripsThroughItsJson) {
    PackManifest original("Audio", {{"Ünïcödé ✓.mp3", 5, kHashOfAbc}, {"b", 0, kHashOfAbc}});
    auto copy = PackManifest::parse(original.toJson());
    EXPECT_EQ(copy.tag(), "Audio");
    ASSERT_EQ(copy.files().size(), 2u);
    EXPECT_EQ(copy.files()[0].name, "Ünïcödé ✓.mp3");
    EXPECT_EQ(copy.files()[1].size, 0u);
    EXPECT_EQ(copy.totalSize(), 5u);
}

TEST(PackManifest, AcceptsAnEmptyPack) {
    auto manifest = PackManifest::parse(manifestWith(""));
    EXPECT_TRUE(manifest.files().empty());
    EXPECT_EQ(manifest.totalSize(), 0u);
}

TEST(PackManifest, SafeNamesStayInsideTheirFolder) {
    const std::vector<std::string> unsafe = {"",
                                             ".",
                                             "..",
                                             "../x",
                                             "/etc/x",
                                             "a/b",
                                             "a\\b",
                                             "..\\x",
                                             ".hidden",
                                             std::string("a\0b", 3),
                                             "line\nbreak",
                                             "tab\there",
                                             std::string(256, 'x'),
                                             "bad\xff utf8",
                                             "\xc0\xaf",
                                             "\xed\xa0\x80"};
    for (const auto& name : unsafe)
        EXPECT_FALSE(PackManifest::isSafeName(name)) << "accepted \"" << name << "\"";
    const std::vector<std::string> safe = {"LKSChapter14.mp4",   "Song one.mp3", "a..b",
                                           "Ünïcödé ✓.mp3",      "a%2Fb",        "x.",
                                           std::string(255, 'x')};
    for (const auto& name : safe)
        EXPECT_TRUE(PackManifest::isSafeName(name)) << "refused \"" << name << "\"";
}

TEST(PackManifest, RejectsFileNamesThatLeaveThePackFolder) {
    for (const std::string name : {"\"../x\"", "\"/etc/x\"", "\"a/b\"", "\"..\"", "\".\"", "\"\"",
                                   "\".manifest.json\"", "\"a\\\\b\"", "\"a\\u0000b\""}) {
        EXPECT_EQ(parseErrorCode(manifestWith(entry(name, "3"))), LKSOnDemandBadManifestError)
            << name;
    }
}

TEST(PackManifest, RejectsInvalidSizes) {
    for (const std::string size :
         {"-1", "1.5", "1e30", "\"3\"", "null", "1099511627777", "18446744073709551616"}) {
        EXPECT_EQ(parseErrorCode(manifestWith(entry("\"a\"", size))), LKSOnDemandBadManifestError)
            << size;
    }
    // Each file within bounds, but the total beyond them.
    std::string entries = entry("\"a\"", "1099511627776") + "," + entry("\"b\"", "1");
    EXPECT_EQ(parseErrorCode(manifestWith(entries)), LKSOnDemandBadManifestError);
}

TEST(PackManifest, RejectsInvalidHashes) {
    for (const std::string& hash : std::vector<std::string>{
             "\"abc\"", "\"" + std::string(63, 'a') + "\"", "\"" + std::string(65, 'a') + "\"",
             "\"" + std::string(63, 'a') + "g\"", "42", "null"}) {
        EXPECT_EQ(parseErrorCode(manifestWith(entry("\"a\"", "3", hash))),
                  LKSOnDemandBadManifestError)
            << hash;
    }
}

TEST(PackManifest, RejectsMalformedDocuments) {
    const std::vector<std::string> documents = {
        "",
        "not json",
        "{\"tag\": \"Video\", \"files\": [",
        "[]",
        "{\"files\": []}",
        "{\"tag\": \"Video\"}",
        "{\"tag\": 7, \"files\": []}",
        "{\"tag\": \"../Video\", \"files\": []}",
        "{\"tag\": \"Video\", \"files\": {}}",
        manifestWith("42"),
        manifestWith("{\"size\": 3, \"sha256\": \"" + kHashOfAbc + "\"}"),
        manifestWith("{\"name\": \"a\", \"sha256\": \"" + kHashOfAbc + "\"}"),
        manifestWith("{\"name\": \"a\", \"size\": 3}"),
        manifestWith(entry("\"a\"", "3") + "," + entry("\"a\"", "3")),
        std::string(PackManifest::kMaxJsonSize + 1, ' ') + manifestWith(""),
    };
    for (const auto& document : documents) {
        EXPECT_EQ(parseErrorCode(document), LKSOnDemandBadManifestError) << document.substr(0, 80);
    }
}
