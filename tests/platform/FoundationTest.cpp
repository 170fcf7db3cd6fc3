#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDirectory.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSPredicate.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AudioFileProbe.h"

namespace fs = std::filesystem;

namespace {
void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}
}  // namespace

TEST(BundleTest, FindsOnlyRegularFilesOfThatNameAndTypeInsideItsFolder) {
    TempDirectory root;
    writeFile(root / "pack" / "LKSChapter14.mp4", "video");
    writeFile(root / "pack" / "Song.mp3", "audio");
    writeFile(root / "pack" / ".mp4", "nameless");
    writeFile(root / "secret.mp4", "outside");
    fs::create_directories(root / "pack" / "folder.mp4");
    NSBundle bundle((root / "pack").string());

    EXPECT_EQ(bundle.pathForResource("LKSChapter14", "mp4"),
              (root / "pack" / "LKSChapter14.mp4").string());
    EXPECT_FALSE(bundle.pathForResource("LKSChapter14", "mp3"));
    EXPECT_FALSE(bundle.pathForResource("Song", "wav"));
    EXPECT_FALSE(bundle.pathForResource("folder", "mp4"));
    EXPECT_FALSE(bundle.pathForResource("../secret", "mp4"));
    EXPECT_FALSE(bundle.pathForResource("..", ""));
    EXPECT_FALSE(bundle.pathForResource(std::string("Song\0x", 6), "mp3"));
    // The empty name finds a file only when one is really named ".mp4".
    EXPECT_TRUE(bundle.pathForResource("", "mp4"));
    EXPECT_FALSE(bundle.pathForResource("", "mp3"));

    auto url = bundle.URLForResource("Song", "mp3");
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->isFileURL());
    EXPECT_EQ(url->path(), (root / "pack" / "Song.mp3").string());
    EXPECT_FALSE(bundle.URLForResource("Song", "mp4"));
}

TEST(BundleTest, ReadsTheInformationDictionaryAsGiven) {
    NSBundle bundle("/nonexistent", {{"CFBundleVersion", std::string("7")}, {"Number", 7LL}});
    auto version = bundle.objectForInfoDictionaryKey(kCFBundleVersionKey);
    ASSERT_TRUE(version);
    EXPECT_EQ(std::get<std::string>(*version), "7");
    EXPECT_TRUE(std::holds_alternative<long long>(*bundle.objectForInfoDictionaryKey("Number")));
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey("Missing"));
}

TEST(URLTest, FileURLsArePercentEncodedAndTextURLsNeedAScheme) {
    auto file = NSURL::fileURLWithPath("/media/Mend the Sky.mp3");
    EXPECT_EQ(file->absoluteString(), "file:///media/Mend%20the%20Sky.mp3");
    EXPECT_EQ(file->path(), "/media/Mend the Sky.mp3");
    EXPECT_TRUE(NSURL::URLWithString("https://www.example.com/page"));
    EXPECT_FALSE(NSURL::URLWithString("no scheme here"));
    EXPECT_FALSE(NSURL::URLWithString("https://bad host"));
    EXPECT_FALSE(NSURL::URLWithString(""));
}

TEST(PredicateTest, MatchesTheWholeTextOnly) {
    auto hasDigit = NSPredicate::predicateWithFormat("SELF MATCHES %@", ".*[0-9]+.*");
    EXPECT_TRUE(hasDigit->evaluateWithObject("84"));
    EXPECT_TRUE(hasDigit->evaluateWithObject(" a1b "));
    EXPECT_FALSE(hasDigit->evaluateWithObject(""));
    EXPECT_FALSE(hasDigit->evaluateWithObject("+"));
    EXPECT_FALSE(hasDigit->evaluateWithObject("eighty"));
    auto digitsOnly = NSPredicate::predicateWithFormat("SELF MATCHES %@", "[0-9]+");
    EXPECT_FALSE(digitsOnly->evaluateWithObject("12a"));
    EXPECT_THROW(NSPredicate::predicateWithFormat("SELF CONTAINS %@", "x"), std::invalid_argument);
}

TEST(FormatTest, FollowsTheCFormattingRules) {
    EXPECT_EQ(stringWithFormat("%02d:%02d", 1, 5), "01:05");
    EXPECT_EQ(stringWithFormat("%02d:%02d", 100, 0), "100:00");
    EXPECT_EQ(stringWithFormat("%s", ""), "");
}

TEST(DebugLogTest, DebugFormQuotesAndEscapes) {
    EXPECT_EQ(debugDescription("Could not find resource LKSChapter14.mp4"),
              "\"Could not find resource LKSChapter14.mp4\"");
    EXPECT_EQ(debugDescription("say \"hi\"\\\n\t"), "\"say \\\"hi\\\"\\\\\\n\\t\"");
    EXPECT_EQ(debugDescription(std::string("\x01", 1)), "\"\\u{1}\"");
    std::vector<std::string> lines;
    setDebugLogSink([&](const std::string& line) { lines.push_back(line); });
    print("Video Finished");
    debugPrint("Generic error");
    setDebugLogSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"Video Finished", "\"Generic error\""}));
}

TEST(AudioFileProbeTest, AcceptsRealAudioAndRefusesEverythingElse) {
    TempDirectory root;
    std::string error;
    auto song =
        probeAudioFile(std::string(LARKSPIRE_MEDIA_DIR) + "/packs/Audio/Someday.mp3", error);
    ASSERT_TRUE(song) << error;
    EXPECT_EQ(song->format, "mpeg");
    ASSERT_TRUE(song->duration);
    EXPECT_NEAR(*song->duration, 10.08, 0.2);

    writeFile(root / "empty.mp3", "");
    writeFile(root / "text.mp3", "This is a text file, not a song.\n");
    writeFile(root / "sync.mp3", std::string("\xFF\xFB\x90\x00garbage", 11));
    for (const char* name : {"empty.mp3", "text.mp3", "sync.mp3", "missing.mp3"}) {
        error.clear();
        EXPECT_FALSE(probeAudioFile((root / name).string(), error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}
