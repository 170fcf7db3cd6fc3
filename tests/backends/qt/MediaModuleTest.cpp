#include <gtest/gtest.h>

#include <QPushButton>

#include "QtFixture.h"
#include "backends/qt/QtMediaModule.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/media/QtMediaKit.h"
#include "platform/media/AVPlayer.h"

namespace fs = std::filesystem;

namespace {

// The media from a module, as the application has them: the build's, or one not there.
class MediaModuleTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.media = [this] { return loadQtMedia(module); };
    }
    std::string module = LARKSPIRE_MEDIA_MODULE;
};

}  // namespace

// Chapter 13 plays through the module's own code to its end; without the module, a still
// player with only Done, and the reason said once.
TEST_F(MediaModuleTest, AChapterPlaysThroughTheModuleOrShowsAStillPlayerWithoutIt) {
    auto openChapter = [&]() -> QtPlayerScreen& {
        fs::copy_file(fs::path(LARKSPIRE_MEDIA_DIR) / "bundle" / "LKSChapter13.mp4",
                      scratch / "bundle" / "LKSChapter13.mp4", fs::copy_options::skip_existing);
        showScreen("chapters");
        button("chapter13")->click();
        EXPECT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
        return *window().playerScreen();
    };
    QtPlayerScreen& playing = openChapter();
    ASSERT_TRUE(backend->media() && backend->media() != &linkedQtMedia());
    auto pictures = widgetsIn<QtVideoPicture>(&playing);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(waitUntil([&] { return pictures.front()->showsFrame(); }, 10000));
    EXPECT_GT(backend->media()->frameCounts().painted, 0u);
    playing.controller()->player()->seekToTime(16.5);
    EXPECT_TRUE(waitUntil([&] { return window().playerScreen() == nullptr; }, 15000));

    TearDown();
    module = (scratch / "no-such-media.so").string();
    SetUp();
    testing::internal::CaptureStderr();
    for (int time = 0; time < 2; ++time) {
        QtPlayerScreen& still = openChapter();
        EXPECT_EQ(still.playback(), nullptr);
        EXPECT_FALSE(still.playPauseButton()->isEnabled());
        EXPECT_TRUE(widgetsIn<QtVideoPicture>(&still).empty());
        still.doneButton()->click();
        EXPECT_TRUE(waitUntil([&] { return window().playerScreen() == nullptr; }, 5000));
    }
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string reason = "larkspire: cannot load the media module " + module;
    ASSERT_NE(said.find(reason), std::string::npos) << said;
    EXPECT_EQ(said.find(reason, said.find(reason) + 1), std::string::npos) << said;
}
