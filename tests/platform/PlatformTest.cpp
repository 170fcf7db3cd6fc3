// The platform layer: bundles, the settings store's failure to write, and the pack library. What
// settings keep and how they read is checked against a reference by fuzz/settings_fuzzer.cpp; that
// a write is whole under kills, by tests/app.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "SimFixture.h"
#include "TempDirectory.h"
#include "platform/Platform.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/resources/PackLibrary.h"

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
    EXPECT_THAT(lines, ::testing::ElementsAre(::testing::HasSubstr("could not be written")));
}

// A pack is not removed while it downloads or while a song of it plays; its state and the
// observers follow every change, and each failed request says why in one line.
using PackLibraryTest = SimFixture;
TEST_F(PackLibraryTest, RemovalWaitsForDownloadsAndPlayersAndEveryChangeIsHeard) {
    addSamplePackFile("Audio", "packs/Audio/Mend the Sky.mp3");
    auto packs = Platform::environment().packs;
    std::vector<std::string> heard;
    packs->addObserver([&](const PackStatus& status) {
        heard.push_back(status.tag + " " + PackStatus::nameOf(status.state));
    });
    showScreen("music");
    auto refused = packs->remove("Audio");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->reason, "it is still downloading");
    EXPECT_EQ(refused->cause, FailureCause::stillDownloading);
    resources->completeAll("Audio");
    settle();
    ASSERT_TRUE(tapButton("track1"));
    refused = packs->remove("Audio");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->reason, "something from it is playing");
    EXPECT_EQ(refused->cause, FailureCause::playing);
    EXPECT_TRUE(resources->isInstalled("Audio"));
    ASSERT_TRUE(tapButton("outlet:stopButton"));
    EXPECT_FALSE(packs->remove("Audio").has_value());
    EXPECT_FALSE(resources->isInstalled("Audio"));
    EXPECT_THAT(heard,
                ::testing::ElementsAre("Audio downloading", "Audio installed", "Audio absent"));

    testing::internal::CaptureStderr();
    showScreen("chapters");
    resources->completeAll("Video", LKSOnDemandHTTPError);
    settle();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "larkspire: pack \"Video\": the request for Video failed\n");
    EXPECT_EQ(packs->status("Video").reason, "the request for Video failed");
}
