#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "SimFixture.h"
#include "music/MusicViewController.h"

class UIButton;
class UILabel;
class UIViewController;

// The music screen reached from the title screen, as the reader reaches it,
// with its "Audio" request pending until the test completes it.
class MusicScreenFixture : public SimFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts every sample song of media/ into the "Audio" pack.
    void addAllSongs();
    // A pack file that the audio probe accepts as `seconds` of silence.
    void addSilentTrack(const std::string& fileName, std::uint32_t seconds);

    void showMusic();
    void finishDownload(long code = 0);

    // Taps the visible button with `tag` on the top screen; fails the test
    // when there is none.
    void tap(long long tag);
    void tapStop() { tap(kStopTag); }
    void tapBack() { tap(kBackTag); }
    // Runs trackSelected: for a button the layout does not have.
    void selectTag(long long tag);

    std::shared_ptr<UIButton> stopButton() const { return screen->stopButton.lock(); }
    std::shared_ptr<UILabel> titleLabel() const { return screen->trackTitleLabel.lock(); }
    std::shared_ptr<UILabel> positionLabel() const { return screen->trackPositionLabel.lock(); }

    // Counts of the whole process, relative to the start of the test.
    std::ptrdiff_t runningTimers() const;
    std::ptrdiff_t playingPlayers() const;

    static constexpr long long kBackTag = 100;
    static constexpr long long kStopTag = 101;

    std::shared_ptr<UIViewController> host;
    std::shared_ptr<MusicViewController> screen;

private:
    std::size_t timersBefore_ = 0;
    std::size_t playersBefore_ = 0;
};
