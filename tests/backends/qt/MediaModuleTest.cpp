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

// The application's way: the media come from a module loaded when first needed, here the one
// the build makes or one that is not there.
class MediaModuleTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.media = [this] { return loadQtMedia(module); };
    }
    std::string module = LARKSPIRE_MEDIA_MODULE;
};

}  // namespace

// Through the module's own code, not the copy this test links in, chapter 13 shows its picture
// and plays to its end, which closes the player. With no module, a broken installation, the
// family still gets the player, black, with only Done to press, and the terminal says once
// what is missing.
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
    ASSERT_NE(backend->media(), nullptr);
    EXPECT_NE(backend->media(), &linkedQtMedia());
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
