// The platform layer: bundles and the settings store's failure to write. What settings keep
// and how they read is checked against a reference by fuzz/settings_fuzzer.cpp; that a write
// is whole under kills, by tests/app.
#include <gtest/gtest.h>

#include <fstream>

#include "TempDirectory.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSUserDefaults.h"

namespace fs = std::filesystem;

TEST(FoundationTest, ABundleFindsOnlyRegularFilesOfThatNameAndTypeInsideItsFolder) {
    TempDirectory root;
    fs::create_directories(root / "pack" / "folder.mp4");
    for (const char* name : {"pack/LKSChapter14.mp4", "pack/Song.mp3", "pack/.mp4", "secret.mp4"})
        std::ofstream(root / name) << "data";
    NSBundle bundle((root / "pack").string());
    EXPECT_EQ(bundle.pathForResource("LKSChapter14", "mp4"),
              (root / "pack" / "LKSChapter14.mp4").string());
    EXPECT_FALSE(bundle.pathForResource("LKSChapter14", "mp3"));
    EXPECT_FALSE(bundle.pathForResource("folder", "mp4"));
    EXPECT_FALSE(bundle.pathForResource("../secret", "mp4"));
    EXPECT_FALSE(bundle.pathForResource(std::string("Song\0x", 6), "mp3"));
    // The empty name finds a file only when one is really named ".mp4".
    EXPECT_TRUE(bundle.pathForResource("", "mp4"));
    EXPECT_FALSE(bundle.pathForResource("", "mp3"));
    EXPECT_EQ(bundle.URLForResource("Song", "mp3")->path(), (root / "pack" / "Song.mp3").string());
}

TEST(FoundationTest, ASettingsWriteThatFailsIsReportedAndKeepsTheValueForThisRun) {
    TempDirectory root;
    // A folder that is really a file: no one, not even root, can write below it.
    std::ofstream(root / "not-a-folder") << "x";
    std::vector<std::string> lines;
    setDebugLogSink([&](const std::string& line) { lines.push_back(line); });
    NSUserDefaults defaults((root / "not-a-folder" / "settings.json").string());
    defaults.setInteger(3, "numberOfTimesLaunched");
    setDebugLogSink(nullptr);
    EXPECT_EQ(defaults.integerForKey("numberOfTimesLaunched"), 3);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("could not be written"), std::string::npos);
}
