#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "SimFixture.h"
#include "platform/foundation/NSTimer.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/media/UILyricsView.h"
#include "platform/ui/UIView.h"
#include "story/app/AppDelegate.h"
#include "story/music/MusicViewController.h"
#include "story/music/TrackPosition.h"

namespace {

void appendLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 8-bit WAV of `seconds` of silence at one sample a second, so that hours of it stay
// small.
std::string silentWav(std::uint32_t seconds) {
    std::string wav = "RIFF";
    appendLittle(wav, 36 + seconds, 4);
    wav += "WAVEfmt ";
    for (auto [value, bytes] : {std::pair{16, 4}, {1, 2}, {1, 2}, {1, 4}, {1, 4}, {1, 2}, {8, 2}})
        appendLittle(wav, static_cast<std::uint32_t>(value), bytes);
    wav += "data";
    appendLittle(wav, seconds, 4);
    return wav + std::string(seconds, '\x80');
}

}  // namespace

// The music screen as the reader reaches it from the title screen. Its texts, the song of
// each button and the ticking position are stated in tests/scenarios/music-catalogue.scenario
// and docs/examples/music-player.scenario.
class MusicScreenTest : public SimFixture {
protected:
    void show() {
        host = showScreen("title");
        ASSERT_TRUE(tapButton("musicButton"));
        sim->runUntilIdle();
        screen = std::dynamic_pointer_cast<MusicViewController>(sim->topViewController());
        ASSERT_TRUE(screen);
        resources->completeAll("Audio");
        sim->runUntilIdle();
        takeLog();
    }
    void tap(long long tag) {
        ASSERT_TRUE(tapButton("tag:" + std::to_string(tag))) << "tag " << tag;
        sim->runUntilIdle();
    }
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
    addPackFile("Audio", "Someday.mp3", silentWav(60));
    addPackFile("Audio", "Mend the Sky.mp3", silentWav(60));
    for (const std::string way : {"stop", "back", "another track", "released"}) {
        SCOPED_TRACE(way);
        show();
        tap(4);
        std::weak_ptr<AVAudioPlayer> first = screen->audioPlayer;
        auto firstTimer = screen->timer;
        if (way == "another track") {
            tap(0);
            EXPECT_TRUE(first.expired()) << "the first player is dropped with its sound";
            EXPECT_FALSE(firstTimer->isValid());
            EXPECT_EQ(sim->liveAudioOutputCount(), 1u);
            EXPECT_EQ(sim->scheduledTimerCount(), 1u);
            continue;
        }
        if (way == "released") {
            std::weak_ptr<MusicViewController> released = screen;
            screen.reset();
            host.reset();
            appDelegate->window()->setRootViewController(nullptr);
            sim->runUntilIdle();
            EXPECT_TRUE(released.expired());
            EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
        } else {
            tap(way == "stop" ? 101 : 100);
            EXPECT_EQ(screen->audioPlayer->currentTime(), 0.0);
            expectStopped(true);
        }
        EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
        EXPECT_EQ(sim->scheduledTimerCount(), 0u);
    }
}

TEST_F(MusicScreenTest, ATrackAtItsEndKeepsItsControlsAndTimesOutOfRangeShowSafely) {
    addPackFile("Audio", "Someday.mp3", silentWav(7200));
    show();
    tap(4);
    sim->finishAudio();
    sim->fastForwardBy(10.0);
    EXPECT_TRUE(screen->isPlaying);
    EXPECT_FALSE(screen->stopButton.lock()->isHidden());
    EXPECT_EQ(position(), "120:00");
    // Times the player never reports must still not crash or overflow.
    EXPECT_EQ(trackPositionText(std::numeric_limits<double>::quiet_NaN()), "00:00");
    EXPECT_EQ(trackPositionText(-0.5), "00:00");
    EXPECT_EQ(trackPositionText(std::numeric_limits<double>::infinity()), "2147483647:07");
}

TEST_F(MusicScreenTest, WhatCannotBePlayedIsReportedAndChangesNothing) {
    // Not audio, or audio under another name than the one the screen asks for.
    addPackFile("Audio", "Mend the Sky.mp3", "");
    addPackFile("Audio", "Adrift on Starlight Adieu.wav", silentWav(5));
    show();
    auto emptyPlayer = screen->audioPlayer;
    const std::pair<long long, const char*> taps[] = {
        {0, "\"Unable to find resource\""},
        {2, "\"Could not find resource Adrift on Starlight Adieu.mp3\""},
        // Tags outside the catalogue look up the empty name.
        {-1, "\"Could not find resource .mp3\""}};
    for (const auto& [tag, line] : taps) {
        SCOPED_TRACE(tag);
        auto button = std::make_shared<UIButton>();
        button->setTag(tag);
        screen->trackSelected(*button);
        sim->runUntilIdle();
        EXPECT_THAT(takeLog(), ::testing::ElementsAre(line));
        EXPECT_EQ(sim->visibleAlert() != nullptr, tag != 0) << "the busy alert";
        sim->chooseAlertAction("OK");
        sim->runUntilIdle();
        EXPECT_EQ(screen->audioPlayer, emptyPlayer);
        expectStopped(false);
    }
}

// A child singing along sees the words already sung apart from those to come, on the song's
// clock: before, at and after each word time; of two cues at once the later one; a line whose
// word times run backwards, or that has none, whole. Stop clears the line mid-word, and the
// song played again lights its words from the start again.
TEST_F(MusicScreenTest, TheWordsOfALineAreLitAsTheyAreSung) {
    addPackFile("Audio", "Mend the Sky.mp3", silentWav(20));
    addPackFile("Audio", "Mend the Sky.en.vtt",
                "WEBVTT\n\n00:01.000 --> 00:04.000\nNeedle <00:01.500>of <00:02.000>silver,\n\n"
                "00:03.000 --> 00:06.000\nmend <00:03.500>the sky\n\n"
                "00:06.500 --> 00:08.000\nStitch <00:07.500>by <00:07.000>stitch\n\n"
                "00:08.500 --> 00:09.500\nplain line\n");
    show();
    auto lyrics = std::dynamic_pointer_cast<UILyricsView>(screen->view()->subviews().back());
    ASSERT_TRUE(lyrics);
    auto seen = [&] {
        return lyrics->currentLine() + "|" + std::string(lyrics->sungWords().value_or("(whole)"));
    };
    tap(0);
    const std::pair<double, const char*> moments[] = {
        {0.999, "|(whole)"},
        {1.0, "Needle of silver,|Needle "},
        {1.499, "Needle of silver,|Needle "},
        {1.5, "Needle of silver,|Needle of "},
        {2.0, "Needle of silver,|Needle of silver,"},
        {3.2, "mend the sky|mend "},
        {3.5, "mend the sky|mend the sky"},
        {4.5, "mend the sky|mend the sky"},
        {7.2, "Stitch by stitch|(whole)"},
        {9.0, "plain line|(whole)"},
    };
    double now = 0;
    for (const auto& [at, expected] : moments) {
        sim->fastForwardBy(at - now);
        now = at;
        EXPECT_EQ(seen(), expected) << "at " << at;
    }
    tap(0);
    sim->fastForwardBy(1.7);
    EXPECT_EQ(seen(), "Needle of silver,|Needle of ");
    tap(101);
    EXPECT_EQ(seen(), "|(whole)");
}
