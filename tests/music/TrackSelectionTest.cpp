#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MusicScreenFixture.h"
#include "platform/content/NSBundleResourceRequest.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

namespace {

class TrackSelectionTest : public MusicScreenFixture {
protected:
    // Controls of the playing state are all still hidden and nothing plays.
    void expectNothingPlays() {
        EXPECT_FALSE(screen->isPlaying);
        EXPECT_EQ(playingPlayers(), 0);
        EXPECT_EQ(runningTimers(), 0);
        EXPECT_TRUE(stopButton()->isHidden());
        EXPECT_TRUE(titleLabel()->isHidden());
        EXPECT_TRUE(positionLabel()->isHidden());
    }

    void expectBusyAlert() {
        auto alert = sim->visibleAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title(), "We won't be long!");
        EXPECT_EQ(alert->message(), "Music downloading!");
        EXPECT_EQ(alert->preferredStyle(), UIAlertControllerStyle::alert);
        ASSERT_EQ(alert->actions().size(), 1u);
        EXPECT_EQ(alert->actions()[0]->title(), "OK");
        EXPECT_EQ(alert->actions()[0]->style(), UIAlertActionStyle::defaultStyle);
        EXPECT_FALSE(alert->actions()[0]->hasHandler());
        EXPECT_EQ(alert->presentingViewController(), screen);
    }

    void closeAlert() {
        ASSERT_TRUE(sim->chooseAlertAction("OK"));
        sim->runUntilIdle();
    }
};

TEST_F(TrackSelectionTest, LoadingHidesThePlaybackControlsAndFetchesTheAudioPack) {
    addAllSongs();
    showMusic();

    expectNothingPlays();
    EXPECT_FALSE(screen->progressView.lock()->isHidden());
    ASSERT_EQ(resources->pendingCount(), 1u);
    EXPECT_EQ(resources->pending(0).tag, "Audio");
    ASSERT_TRUE(screen->request);
    EXPECT_EQ(screen->request->tags(), std::set<std::string>{"Audio"});
    EXPECT_FALSE(screen->audioFileName);
    EXPECT_FALSE(screen->audioName);

    finishDownload();
    EXPECT_TRUE(screen->progressView.lock()->isHidden());
    expectNothingPlays();
    EXPECT_EQ(resources->requestCount(), 1u);
}

TEST_F(TrackSelectionTest, TagsSelectTheirCatalogueEntries) {
    showMusic();

    tap(6);
    EXPECT_EQ(screen->audioFileName, "Echo of Starlight");
    EXPECT_EQ(screen->audioName, "The Echo of Starlight (Goodbye)");
    closeAlert();

    tap(5);
    EXPECT_EQ(screen->audioFileName, "Bright Morning Rising");
    EXPECT_EQ(screen->audioName, "Bright Morning Rising");
    closeAlert();

    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource Echo of Starlight.mp3\"",
                                       "\"Could not find resource Bright Morning Rising.mp3\""));
}

TEST_F(TrackSelectionTest, TagsOutsideTheCatalogueLookUpAnEmptyName) {
    addAllSongs();
    showMusic();
    finishDownload();

    for (long long tag : {7LL, -1LL}) {
        SCOPED_TRACE(tag);
        selectTag(tag);
        EXPECT_EQ(screen->audioFileName, "");
        EXPECT_EQ(screen->audioName, "");
        expectBusyAlert();
        EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource .mp3\""));
        expectNothingPlays();
        closeAlert();
    }
}

TEST_F(TrackSelectionTest, EverySongOfTheCatalogueIsInTheAudioPack) {
    addAllSongs();
    showMusic();
    finishDownload();

    const char* files[] = {"Mend the Sky",     "Night Bulletin 4", "Adrift on Starlight Adieu",
                           "Story Holds",      "Someday",          "Bright Morning Rising",
                           "Echo of Starlight"};
    for (long long tag = 0; tag < 7; ++tag) {
        SCOPED_TRACE(tag);
        tap(tag);
        EXPECT_TRUE(screen->isPlaying);
        EXPECT_THAT(screen->audioPlayer->url()->path(),
                    EndsWith(std::string("/") + files[tag] + ".mp3"));
    }
    EXPECT_THAT(takeLog(), IsEmpty());
    EXPECT_EQ(playingPlayers(), 1);
}

TEST_F(TrackSelectionTest, TapDuringTheDownloadShowsTheBusyAlertAndPlaysNothing) {
    addAllSongs();
    showMusic();

    tap(0);
    expectBusyAlert();
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource Mend the Sky.mp3\""));
    expectNothingPlays();
    EXPECT_EQ(screen->audioFileName, "Mend the Sky");
    EXPECT_EQ(screen->audioName, "Mend the Sky");
    closeAlert();

    // Once the pack has arrived, the same tap plays the song.
    finishDownload();
    tap(0);
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_THAT(takeLog(), IsEmpty());
}

TEST_F(TrackSelectionTest, OnlyTheMp3ExtensionIsLookedUp) {
    // Playable audio, but not under the name the screen asks for.
    addSilentTrack("Mend the Sky.wav", 5);
    addSilentTrack("Mend the Sky", 5);
    addSilentTrack("Mend the Sky.mp3.bak", 5);
    showMusic();
    finishDownload();

    tap(0);
    expectBusyAlert();
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource Mend the Sky.mp3\""));
    expectNothingPlays();
}

TEST_F(TrackSelectionTest, AMissingSongLeavesThePlayingTrackPlaying) {
    addSamplePackFile("Audio", "packs/Audio/Mend the Sky.mp3");
    showMusic();
    finishDownload();
    tap(0);
    auto player = screen->audioPlayer;
    auto timer = screen->timer;
    sim->fastForwardBy(2.0);

    tap(1);
    expectBusyAlert();
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource Night Bulletin 4.mp3\""));
    // The selection moved on; the sound and the controls did not.
    EXPECT_EQ(screen->audioFileName, "Night Bulletin 4");
    EXPECT_EQ(screen->audioName, "Night Bulletin Tonight (Last Issue)");
    EXPECT_EQ(screen->audioPlayer, player);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(screen->timer, timer);
    EXPECT_EQ(titleLabel()->text(), "Now playing: Mend the Sky");
    EXPECT_FALSE(stopButton()->isHidden());
    closeAlert();

    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "00:03");
}

}  // namespace
