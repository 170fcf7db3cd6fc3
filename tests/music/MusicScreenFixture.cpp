#include "MusicScreenFixture.h"

#include "app/AppDelegate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/ui/UIView.h"

namespace {

const char* const kSongs[] = {
    "Mend the Sky.mp3",      "Night Bulletin 4.mp3", "Adrift on Starlight Adieu.mp3",
    "Story Holds.mp3",       "Someday.mp3",          "Bright Morning Rising.mp3",
    "Echo of Starlight.mp3",
};

void appendLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An 8 kHz mono 8-bit WAV header whose data chunk claims `seconds` of sound;
// the samples themselves are left out, which the probe does not read.
std::string silentWavHeader(std::uint32_t seconds) {
    const std::uint32_t rate = 8000;
    std::string wav = "RIFF";
    appendLittle(wav, 36 + seconds * rate, 4);
    wav += "WAVEfmt ";
    appendLittle(wav, 16, 4);
    appendLittle(wav, 1, 2);     // PCM
    appendLittle(wav, 1, 2);     // mono
    appendLittle(wav, rate, 4);  // sample rate
    appendLittle(wav, rate, 4);  // byte rate
    appendLittle(wav, 1, 2);     // block align
    appendLittle(wav, 8, 2);     // bits per sample
    wav += "data";
    appendLittle(wav, seconds * rate, 4);
    return wav;
}

}  // namespace

void MusicScreenFixture::SetUp() {
    SimFixture::SetUp();
    timersBefore_ = NSTimer::validTimerCount();
    playersBefore_ = AVAudioPlayer::playingCount();
}

void MusicScreenFixture::TearDown() {
    screen.reset();
    host.reset();
    SimFixture::TearDown();
}

void MusicScreenFixture::addAllSongs() {
    for (const char* song : kSongs)
        addSamplePackFile("Audio", std::string("packs/Audio/") + song);
}

void MusicScreenFixture::addSilentTrack(const std::string& fileName, std::uint32_t seconds) {
    addPackFile("Audio", fileName, silentWavHeader(seconds));
}

void MusicScreenFixture::showMusic() {
    host = showScreen("title");
    auto musicButton = sim->findButton("musicButton");
    ASSERT_TRUE(musicButton) << "the title screen has no way to the music screen";
    ASSERT_TRUE(sim->tap(musicButton));
    sim->runUntilIdle();
    screen = std::dynamic_pointer_cast<MusicViewController>(sim->topViewController());
    ASSERT_TRUE(screen) << "the title screen's music button does not show a MusicViewController";
}

void MusicScreenFixture::finishDownload(long code) {
    resources->completeAll("Audio", code);
    sim->runUntilIdle();
}

void MusicScreenFixture::tap(long long tag) {
    auto button = sim->findButton(tag);
    ASSERT_TRUE(button) << "no button with tag " << tag << " on the top screen";
    ASSERT_TRUE(sim->tap(button)) << "the button with tag " << tag << " cannot be tapped";
}

void MusicScreenFixture::selectTag(long long tag) {
    auto button = std::make_shared<UIButton>();
    button->setTag(tag);
    screen->trackSelected(*button);
}

std::ptrdiff_t MusicScreenFixture::runningTimers() const {
    return static_cast<std::ptrdiff_t>(NSTimer::validTimerCount()) -
           static_cast<std::ptrdiff_t>(timersBefore_);
}

std::ptrdiff_t MusicScreenFixture::playingPlayers() const {
    return static_cast<std::ptrdiff_t>(AVAudioPlayer::playingCount()) -
           static_cast<std::ptrdiff_t>(playersBefore_);
}
