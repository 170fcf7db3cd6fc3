#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "music/MusicViewController.h"
#include "music/TrackPosition.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/foundation/NSTimer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

void appendLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An 8 kHz mono 8-bit WAV header whose data chunk claims `seconds` of sound; the samples
// themselves are left out, which the audio probe does not read.
std::string silentWav(std::uint32_t seconds) {
    std::string wav = "RIFF";
    appendLittle(wav, 36 + seconds * 8000, 4);
    wav += "WAVEfmt ";
    for (auto [value, bytes] :
         {std::pair{16, 4}, {1, 2}, {1, 2}, {8000, 4}, {8000, 4}, {1, 2}, {8, 2}})
        appendLittle(wav, static_cast<std::uint32_t>(value), bytes);
    wav += "data";
    appendLittle(wav, seconds * 8000, 4);
    return wav;
}

}  // namespace

// The music screen as the reader reaches it from the title screen. Its texts and the song of
// each button are stated in tests/scenarios/music-catalogue.scenario.
class MusicScreenTest : public SimFixture {
protected:
    void show(bool arrived = true) {
        host = showScreen("title");
        ASSERT_TRUE(sim->tap(sim->findButton("musicButton")));
        sim->runUntilIdle();
        screen = std::dynamic_pointer_cast<MusicViewController>(sim->topViewController());
        ASSERT_TRUE(screen);
        if (arrived) {
            resources->completeAll("Audio");
            sim->runUntilIdle();
        }
        takeLog();
    }
    void addSongs() {
        for (const char* song : {"Mend the Sky", "Night Bulletin 4", "Someday"})
            addSamplePackFile("Audio", std::string("packs/Audio/") + song + ".mp3");
    }
    void tap(long long tag) {
        ASSERT_TRUE(sim->tap(sim->findButton(tag))) << "tag " << tag;
        sim->runUntilIdle();
    }
    std::string title() const { return screen->trackTitleLabel.lock()->text(); }
    std::string position() const { return screen->trackPositionLabel.lock()->text(); }
    // Nothing plays, no timer runs, and the controls are those of a stopped screen.
    void expectStopped(bool titleShown) {
        EXPECT_FALSE(screen->isPlaying);
        EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
        EXPECT_EQ(NSTimer::validTimerCount(), 0u);
        EXPECT_EQ(sim->scheduledTimerCount(), 0u);
        EXPECT_TRUE(screen->stopButton.lock()->isHidden());
        EXPECT_TRUE(screen->trackPositionLabel.lock()->isHidden());
        EXPECT_EQ(screen->trackTitleLabel.lock()->isHidden(), !titleShown);
    }
    std::shared_ptr<UIViewController> host;
    std::shared_ptr<MusicViewController> screen;
};

TEST_F(MusicScreenTest, EveryWayOutEndsTheSoundAndTheTimer) {
    addSongs();
    for (const char* way :
         {"stop", "back", "stop before any track", "back while stopped", "screen released"}) {
        SCOPED_TRACE(way);
        show();
        const std::string w = way;
        if (w != "stop before any track")
            tap(4);
        sim->fastForwardBy(2.0);
        if (w == "back while stopped") {
            tap(101);
            // Marks that a second stop would overwrite.
            screen->trackTitleLabel.lock()->setText("marker");
        }
        if (w == "screen released") {
            std::weak_ptr<MusicViewController> released = screen;
            screen.reset();
            host.reset();
            appDelegate->window()->setRootViewController(nullptr);
            sim->runUntilIdle();
            EXPECT_TRUE(released.expired());
            EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
            EXPECT_EQ(sim->scheduledTimerCount(), 0u);
            EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
            continue;
        }
        auto player = screen->audioPlayer;
        if (w == "stop before any track")
            screen->stopMusic(*screen->stopButton.lock());
        else
            tap(w == "stop" ? 101 : 100);
        EXPECT_EQ(screen->audioPlayer, player);
        EXPECT_FALSE(player->isPlaying());
        EXPECT_EQ(player->currentTime(), 0.0);
        expectStopped(w != "stop before any track");
        EXPECT_EQ(title(), w == "back while stopped" ? "marker" : "");
        EXPECT_EQ(sim->topViewController(), w == "stop" || w == "stop before any track"
                                                ? std::shared_ptr<UIViewController>(screen)
                                                : host);
        sim->fastForwardBy(5.0);
        EXPECT_EQ(player->currentTime(), 0.0);
    }
}

TEST_F(MusicScreenTest, ThePositionIsRewrittenOnEachTickAndASecondTrackReplacesTheFirst) {
    addSongs();
    show();
    tap(0);
    EXPECT_EQ(position(), "00:00") << "the layout's text until the first tick";
    ASSERT_TRUE(screen->timer);
    EXPECT_DOUBLE_EQ(screen->timer->timeInterval(), 1.0);
    sim->fastForwardBy(0.9);
    EXPECT_EQ(position(), "00:00");
    sim->fastForwardBy(2.1);
    EXPECT_EQ(position(), "00:03");
    std::weak_ptr<AVAudioPlayer> first = screen->audioPlayer;
    auto firstTimer = screen->timer;

    tap(1);
    EXPECT_TRUE(first.expired()) << "the first player is dropped with its sound";
    EXPECT_FALSE(firstTimer->isValid());
    EXPECT_EQ(sim->liveAudioOutputCount(), 1u);
    EXPECT_EQ(AVAudioPlayer::playingCount(), 1u);
    EXPECT_EQ(sim->scheduledTimerCount(), 1u);
    EXPECT_EQ(position(), "00:03") << "the previous track's position until the tick";
    sim->fastForwardBy(1.0);
    EXPECT_EQ(position(), "00:01");

    // A song missing from the pack moves the selection on, but not the sound nor the controls.
    tap(5);
    ASSERT_TRUE(sim->visibleAlert());
    EXPECT_EQ(screen->audioFileName, "Bright Morning Rising");
    EXPECT_EQ(title(), "Now playing: Night Bulletin Tonight (Last Issue)");
    EXPECT_TRUE(screen->audioPlayer->isPlaying());
    ASSERT_TRUE(sim->chooseAlertAction("OK"));
    sim->fastForwardBy(1.0);
    EXPECT_EQ(position(), "00:02");
    EXPECT_THAT(takeLog(), ElementsAre("\"Could not find resource Bright Morning Rising.mp3\""));
}

TEST_F(MusicScreenTest, ElapsedTimesShowAsWholeMinutesAndSeconds) {
    addPackFile("Audio", "Mend the Sky.mp3", silentWav(7200));
    show();
    tap(0);
    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00"},   {59.999, "00:59"}, {60.0, "01:00"},
        {754.3, "12:34"}, {3599.5, "59:59"}, {6000.0, "100:00"},
    };
    for (const auto& [elapsed, text] : cases) {
        screen->audioPlayer->setCurrentTime(elapsed);
        screen->updateTime();
        EXPECT_EQ(position(), text) << elapsed;
    }
    screen->audioPlayer->setCurrentTime(3599.0);
    sim->fastForwardBy(1.0);
    EXPECT_EQ(position(), "60:00");
    // Times the player never reports must still not crash or overflow.
    const std::pair<double, const char*> outside[] = {
        {std::numeric_limits<double>::quiet_NaN(), "00:00"},
        {-0.5, "00:00"},
        {1e30, "2147483647:07"},
        {std::numeric_limits<double>::infinity(), "2147483647:07"},
        {2147483647.0 * 60 + 59.5, "2147483647:59"}};
    for (const auto& [elapsed, text] : outside)
        EXPECT_EQ(trackPositionText(elapsed), text) << elapsed;
}

TEST_F(MusicScreenTest, ATrackThatReachesItsEndKeepsItsControls) {
    addPackFile("Audio", "Someday.mp3", silentWav(5));
    show();
    tap(4);
    sim->finishAudio();
    sim->fastForwardBy(10.0);
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_FALSE(screen->stopButton.lock()->isHidden());
    EXPECT_EQ(position(), "00:05");
    EXPECT_EQ(sim->scheduledTimerCount(), 1u);
}

TEST_F(MusicScreenTest, WhatCannotBePlayedIsReportedAndChangesNothing) {
    // Not audio, or audio under another name than the one the screen asks for.
    addPackFile("Audio", "Mend the Sky.mp3", "");
    addPackFile("Audio", "Night Bulletin 4.mp3", "These are the lyrics, not the song.\n");
    for (const char* name : {"Adrift on Starlight Adieu.wav", "Adrift on Starlight Adieu",
                             "Adrift on Starlight Adieu.mp3.bak"})
        addPackFile("Audio", name, silentWav(5));
    show();
    auto emptyPlayer = screen->audioPlayer;
    const std::pair<long long, const char*> taps[] = {
        {0, "\"Unable to find resource\""},
        {1, "\"Unable to find resource\""},
        {2, "\"Could not find resource Adrift on Starlight Adieu.mp3\""},
        // Tags outside the catalogue look up the empty name.
        {7, "\"Could not find resource .mp3\""},
        {-1, "\"Could not find resource .mp3\""}};
    for (const auto& [tag, line] : taps) {
        SCOPED_TRACE(tag);
        auto button = std::make_shared<UIButton>();
        button->setTag(tag);
        screen->trackSelected(*button);
        sim->runUntilIdle();
        EXPECT_THAT(takeLog(), ElementsAre(line));
        EXPECT_EQ(sim->visibleAlert() != nullptr, tag >= 2 || tag < 0) << "the busy alert";
        if (tag >= 7 || tag < 0) {
            EXPECT_EQ(screen->audioName, "");
        }
        sim->chooseAlertAction("OK");
        sim->runUntilIdle();
        EXPECT_EQ(screen->audioPlayer, emptyPlayer);
        expectStopped(false);
    }
}
