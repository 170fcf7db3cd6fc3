#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MusicScreenFixture.h"
#include "app/AppDelegate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class PlaybackTest : public MusicScreenFixture {
protected:
    // The "Audio" pack has arrived with the given songs.
    void showReadyScreen() {
        showMusic();
        finishDownload();
    }

    void expectStoppedControls() {
        EXPECT_FALSE(screen->isPlaying);
        EXPECT_FALSE(titleLabel()->isHidden());
        EXPECT_EQ(titleLabel()->text(), "");
        EXPECT_TRUE(positionLabel()->isHidden());
        EXPECT_TRUE(stopButton()->isHidden());
    }

    void expectNothingRunning() {
        EXPECT_EQ(playingPlayers(), 0);
        EXPECT_EQ(runningTimers(), 0);
        EXPECT_EQ(sim->scheduledTimerCount(), 0u);
        EXPECT_FALSE(screen->timer);
    }
};

TEST_F(PlaybackTest, StartingATrackShowsItsTitleAndTheControls) {
    addAllSongs();
    showReadyScreen();

    tap(0);
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_TRUE(screen->audioPlayer->isPlaying());
    EXPECT_FALSE(stopButton()->isHidden());
    EXPECT_FALSE(titleLabel()->isHidden());
    EXPECT_EQ(titleLabel()->text(), "Now playing: Mend the Sky");
    EXPECT_FALSE(positionLabel()->isHidden());
    EXPECT_EQ(playingPlayers(), 1);
    EXPECT_EQ(runningTimers(), 1);
    ASSERT_TRUE(screen->timer);
    EXPECT_DOUBLE_EQ(screen->timer->timeInterval(), 1.0);

    tap(3);
    EXPECT_EQ(titleLabel()->text(), "Now playing: Far Descendants/ Story Holds (Reprise)");
    EXPECT_THAT(takeLog(), IsEmpty());
}

TEST_F(PlaybackTest, ThePositionIsRewrittenOnEveryTickAndNotAtTheStart) {
    addAllSongs();
    showReadyScreen();

    tap(0);
    EXPECT_EQ(positionLabel()->text(), "00:00") << "the layout's text until the first tick";
    sim->fastForwardBy(0.9);
    EXPECT_EQ(positionLabel()->text(), "00:00");
    sim->fastForwardBy(0.1);
    EXPECT_EQ(positionLabel()->text(), "00:01");
    sim->fastForwardBy(2.0);
    EXPECT_EQ(positionLabel()->text(), "00:03");

    tap(1);
    EXPECT_EQ(positionLabel()->text(), "00:03") << "the previous track's position until the tick";
    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "00:01");
}

TEST_F(PlaybackTest, ElapsedTimesShowAsWholeMinutesAndSeconds) {
    addSilentTrack("Mend the Sky.mp3", 7200);
    showReadyScreen();
    tap(0);

    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00"},   {59.999, "00:59"}, {60.0, "01:00"},
        {754.3, "12:34"}, {3599.5, "59:59"}, {6000.0, "100:00"},
    };
    for (const auto& [elapsed, text] : cases) {
        SCOPED_TRACE(elapsed);
        screen->audioPlayer->setCurrentTime(elapsed);
        screen->updateTime();
        EXPECT_EQ(positionLabel()->text(), text);
    }

    // The same through the timer: the tick one second after 3599.0.
    screen->audioPlayer->setCurrentTime(3599.0);
    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "60:00");
}

TEST_F(PlaybackTest, ASecondTrackReplacesTheFirst) {
    addAllSongs();
    showReadyScreen();
    tap(0);
    std::weak_ptr<AVAudioPlayer> first = screen->audioPlayer;
    auto firstTimer = screen->timer;
    sim->fastForwardBy(2.0);

    tap(1);
    EXPECT_TRUE(first.expired()) << "the first player is dropped with its sound";
    EXPECT_EQ(sim->liveAudioOutputCount(), 1u);
    EXPECT_EQ(playingPlayers(), 1);
    EXPECT_TRUE(screen->audioPlayer->isPlaying());
    EXPECT_EQ(titleLabel()->text(), "Now playing: Night Bulletin Tonight (Last Issue)");
    EXPECT_FALSE(stopButton()->isHidden());
    EXPECT_FALSE(positionLabel()->isHidden());
    EXPECT_FALSE(firstTimer->isValid());
    EXPECT_EQ(runningTimers(), 1);
    EXPECT_EQ(sim->scheduledTimerCount(), 1u);

    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "00:01");
}

TEST_F(PlaybackTest, StopRewindsAndResetsTheControls) {
    addAllSongs();
    showReadyScreen();
    tap(0);
    sim->fastForwardBy(3.0);
    auto player = screen->audioPlayer;

    tapStop();
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->currentTime(), 0.0);
    expectStoppedControls();
    expectNothingRunning();

    // Nothing is written for the stopped track.
    sim->fastForwardBy(5.0);
    EXPECT_EQ(positionLabel()->text(), "00:03");
    EXPECT_EQ(player->currentTime(), 0.0);

    // A new start builds a new player and plays from the beginning.
    tap(0);
    EXPECT_NE(screen->audioPlayer, player);
    EXPECT_EQ(screen->audioPlayer->currentTime(), 0.0);
    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "00:01");
    EXPECT_EQ(titleLabel()->text(), "Now playing: Mend the Sky");
    EXPECT_FALSE(stopButton()->isHidden());
}

TEST_F(PlaybackTest, StopBeforeAnyTrackWorksOnTheEmptyPlayer) {
    showReadyScreen();
    auto emptyPlayer = screen->audioPlayer;
    ASSERT_TRUE(emptyPlayer);
    EXPECT_FALSE(emptyPlayer->url());

    screen->stopMusic(*stopButton());
    EXPECT_EQ(screen->audioPlayer, emptyPlayer);
    EXPECT_EQ(emptyPlayer->currentTime(), 0.0);
    EXPECT_FALSE(screen->isPlaying);
    EXPECT_EQ(titleLabel()->text(), "");
    EXPECT_TRUE(positionLabel()->isHidden());
    EXPECT_TRUE(stopButton()->isHidden());
    expectNothingRunning();
}

TEST_F(PlaybackTest, LeavingWhilePlayingStopsLikeTheStopButton) {
    addAllSongs();
    showReadyScreen();
    tap(4);
    sim->fastForwardBy(2.0);
    auto player = screen->audioPlayer;

    tapBack();
    EXPECT_EQ(sim->topViewController(), host);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->currentTime(), 0.0);
    expectStoppedControls();
    expectNothingRunning();
}

TEST_F(PlaybackTest, LeavingWhileStoppedChangesNothing) {
    addAllSongs();
    showReadyScreen();
    tap(4);
    tapStop();
    // Marks that a stop would overwrite.
    titleLabel()->setText("marker");
    positionLabel()->setHidden(false);
    auto player = screen->audioPlayer;

    tapBack();
    EXPECT_EQ(sim->topViewController(), host);
    EXPECT_EQ(titleLabel()->text(), "marker");
    EXPECT_FALSE(positionLabel()->isHidden());
    EXPECT_EQ(screen->audioPlayer, player);
    expectNothingRunning();
}

TEST_F(PlaybackTest, ATrackThatReachesItsEndKeepsItsControls) {
    addSilentTrack("Someday.mp3", 5);
    showReadyScreen();
    tap(4);
    sim->fastForwardBy(1.0);

    sim->finishAudio();
    sim->fastForwardBy(10.0);
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_FALSE(stopButton()->isHidden());
    EXPECT_EQ(titleLabel()->text(), "Now playing: Someday (Brief Return)");
    EXPECT_FALSE(positionLabel()->isHidden());
    EXPECT_EQ(positionLabel()->text(), "00:05");
    EXPECT_EQ(runningTimers(), 1);

    tapStop();
    expectStoppedControls();
    expectNothingRunning();
}

TEST_F(PlaybackTest, AnUnplayableFileIsReportedAndChangesNothing) {
    addPackFile("Audio", "Mend the Sky.mp3", "");
    addPackFile("Audio", "Night Bulletin 4.mp3", "These are the lyrics, not the song.\n");
    addSamplePackFile("Audio", "packs/Audio/Someday.mp3");
    showReadyScreen();
    auto emptyPlayer = screen->audioPlayer;

    for (long long tag : {0LL, 1LL}) {
        SCOPED_TRACE(tag);
        tap(tag);
        EXPECT_THAT(takeLog(), ElementsAre("\"Unable to find resource\""));
        EXPECT_FALSE(sim->visibleAlert());
        EXPECT_EQ(screen->audioPlayer, emptyPlayer);
        EXPECT_FALSE(screen->isPlaying);
        EXPECT_TRUE(stopButton()->isHidden());
        EXPECT_TRUE(titleLabel()->isHidden());
        EXPECT_TRUE(positionLabel()->isHidden());
        EXPECT_FALSE(screen->timer);
    }

    tap(4);
    auto player = screen->audioPlayer;
    auto timer = screen->timer;
    sim->fastForwardBy(2.0);
    tap(1);
    EXPECT_THAT(takeLog(), ElementsAre("\"Unable to find resource\""));
    EXPECT_EQ(screen->audioPlayer, player);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_EQ(screen->timer, timer);
    EXPECT_TRUE(timer->isValid());
    EXPECT_EQ(runningTimers(), 1);
    EXPECT_EQ(titleLabel()->text(), "Now playing: Someday (Brief Return)");
    EXPECT_FALSE(stopButton()->isHidden());
    sim->fastForwardBy(1.0);
    EXPECT_EQ(positionLabel()->text(), "00:03");
}

TEST_F(PlaybackTest, AHundredStartsAndStopsLeaveNothingRunning) {
    addAllSongs();
    showReadyScreen();

    for (int round = 0; round < 100; ++round) {
        tap(round % 7);
        sim->fastForwardBy(round % 3 == 0 ? 1.5 : 0.25);
        tapStop();
    }
    expectNothingRunning();
    EXPECT_LE(sim->liveAudioOutputCount(), 1u);

    std::weak_ptr<MusicViewController> released = screen;
    tapBack();
    screen.reset();
    sim->runUntilIdle();
    EXPECT_TRUE(released.expired());
    EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
}

TEST_F(PlaybackTest, AScreenReleasedWhilePlayingEndsItsSoundAndTimer) {
    addAllSongs();
    showReadyScreen();
    tap(2);
    sim->fastForwardBy(1.0);

    // The whole screen stack goes away without the screen being told it left.
    std::weak_ptr<MusicViewController> released = screen;
    screen.reset();
    host.reset();
    appDelegate->window()->setRootViewController(nullptr);
    sim->runUntilIdle();

    EXPECT_TRUE(released.expired());
    EXPECT_EQ(playingPlayers(), 0);
    EXPECT_EQ(runningTimers(), 0);
    EXPECT_EQ(sim->scheduledTimerCount(), 0u);
    EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
}

}  // namespace
