#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDirectory.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSURL.h"

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

TEST(URLTest, FileURLsArePercentEncodedAndTextURLsNeedAScheme) {
    auto file = NSURL::fileURLWithPath("/media/Mend the Sky.mp3");
    EXPECT_EQ(file->absoluteString(), "file:///media/Mend%20the%20Sky.mp3");
    EXPECT_EQ(file->path(), "/media/Mend the Sky.mp3");
    EXPECT_TRUE(NSURL::URLWithString("https://www.example.com/page"));
    EXPECT_FALSE(NSURL::URLWithString("no scheme here"));
    EXPECT_FALSE(NSURL::URLWithString("https://bad host"));
    EXPECT_FALSE(NSURL::URLWithString(""));
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
