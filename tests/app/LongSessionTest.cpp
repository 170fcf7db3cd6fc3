#include <dirent.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include "SimFixture.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

#if defined(__SANITIZE_ADDRESS__)
#define LARKSPIRE_HEAP_IS_MEASURABLE 0
#else
#define LARKSPIRE_HEAP_IS_MEASURABLE 1
#endif

namespace {

std::size_t openFileDescriptors() {
    std::size_t count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (::readdir(folder))
            ++count;
        ::closedir(folder);
    }
    return count;
}

std::size_t heapInUse() {
    return ::mallinfo2().uordblks;
}

}  // namespace

class LongSessionTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        addBundledFile("LKSChapter13.mp4");
        addSamplePackFile("Audio", "packs/Audio/Mend the Sky.mp3");
        addSamplePackFile("Audio", "packs/Audio/Someday.mp3");
        resources->install("Video");
        resources->install("Audio");
        title = showScreen("title");
    }

    void tap(const std::string& identifier) {
        ASSERT_TRUE(sim->tap(sim->findButton(identifier))) << identifier;
        sim->runUntilIdle();
    }
    void tap(long long tag) {
        ASSERT_TRUE(sim->tap(sim->findButton(tag))) << "tag " << tag;
        sim->runUntilIdle();
    }

    // One round of everything a reader does: each screen loaded, a chapter
    // played to its end, a gate prompt cancelled, a track started and stopped.
    void round(int i) {
        tap("chaptersButton");
        tap("chapter13");
        ASSERT_TRUE(sim->finishVideo());
        sim->runUntilIdle();
        tap("facebook");
        ASSERT_TRUE(sim->chooseAlertAction("Cancel"));
        sim->runUntilIdle();
        tap("back");

        tap("musicButton");
        tap(i % 2 == 0 ? 0 : 4);
        sim->fastForwardBy(1.0);
        tap("stop");
        tap(i % 7);  // some of these are not in the pack: busy alert
        if (sim->visibleAlert()) {
            ASSERT_TRUE(sim->chooseAlertAction("OK"));
        }
        sim->runUntilIdle();
        tap("back");

        for (const char* screen : {"documentaryButton", "lotsMoreButton", "theEndButton"}) {
            tap(screen);
            tap("back");
        }
        ASSERT_EQ(sim->topViewController(), title);
        sim->clearRecords();
        takeLog();
    }

    std::shared_ptr<UIViewController> title;
};

TEST_F(LongSessionTest, TenThousandRoundsLeaveNothingBehind) {
    for (int i = 0; i < 50; ++i)
        ASSERT_NO_FATAL_FAILURE(round(i));
    const std::size_t controllers = UIViewController::liveCount();
    const std::size_t descriptors = openFileDescriptors();
    const std::size_t heap = heapInUse();

    for (int i = 50; i < 10000; ++i)
        ASSERT_NO_FATAL_FAILURE(round(i));

    EXPECT_EQ(UIViewController::liveCount(), controllers);
    EXPECT_EQ(NSTimer::validTimerCount(), 0u);
    EXPECT_EQ(sim->scheduledTimerCount(), 0u);
    EXPECT_EQ(sim->pendingBlockCount(), 0u);
    EXPECT_EQ(NSNotificationCenter::defaultCenter().observerCount(), 0u);
    EXPECT_EQ(AVPlayer::liveCount(), 0u);
    EXPECT_EQ(AVAudioPlayer::playingCount(), 0u);
    EXPECT_EQ(sim->liveAudioOutputCount(), 0u);
    EXPECT_EQ(openFileDescriptors(), descriptors);
    if (LARKSPIRE_HEAP_IS_MEASURABLE) {
        // A leak of even one small object per round would add far more than this.
        EXPECT_LT(heapInUse(), heap + 64 * 1024)
            << "heap in use grew from " << heap << " to " << heapInUse() << " bytes";
    }
    EXPECT_GE(resources->requestCount(), 3u * 10000u);
}
