#include <gtest/gtest.h>

#include <QUrl>
#include <filesystem>
#include <fstream>

#include "QtFixture.h"
#include "backends/qt/media/QtFramesInFlight.h"
#include "backends/qt/media/QtNewestFrame.h"
#include "backends/qt/media/QtVideoPipeline.h"

namespace fs = std::filesystem;

namespace {

std::string uriOf(const fs::path& file) {
    return QUrl::fromLocalFile(QString::fromStdString(file.string())).toEncoded().toStdString();
}

struct Chapter {
    QtFramesInFlight limits;
    int ended = 0;
    QtVideoPipeline pipeline;
    explicit Chapter(const fs::path& file) : pipeline(uriOf(file), false, [this] { ++ended; }) {}
    quint64 frames() { return pipeline.frames()->newest().number; }
};

class VideoPipelineTest : public QtFixture {};

}  // namespace

// Chapter 13 (17 s) as the player's controls and a scenario drive it: a position given while
// the file is still opening or while paused is taken, and the frame at it shown; the end is
// reported once and stops it on its last frame; Play then starts it again from the start.
TEST_F(VideoPipelineTest, EarlyAndPausedPositionsAreTakenAndTheEndComesOnce) {
    Chapter chapter(fs::path(LARKSPIRE_MEDIA_DIR) / "bundle" / "LKSChapter13.mp4");
    QtVideoPipeline& pipeline = chapter.pipeline;
    pipeline.setPosition(12000);
    EXPECT_EQ(pipeline.position(), 12000) << "a position not yet taken reads as given";
    pipeline.pause();
    ASSERT_TRUE(waitUntil([&] { return chapter.frames() > 0; }, 10000));
    spin(300);
    EXPECT_NEAR(double(pipeline.position()), 12000, 40);
    EXPECT_TRUE(pipeline.paused());
    EXPECT_NEAR(double(pipeline.duration()), 17000, 1000);

    const quint64 shown = chapter.frames();
    pipeline.setPosition(pipeline.duration() - 800);
    ASSERT_TRUE(waitUntil([&] { return chapter.frames() > shown; }, 5000))
        << "a paused chapter shows the frame at a new position";
    pipeline.play();
    EXPECT_TRUE(pipeline.playing());
    ASSERT_TRUE(waitUntil([&] { return chapter.ended > 0; }, 5000));
    spin(500);
    EXPECT_EQ(chapter.ended, 1);
    EXPECT_FALSE(pipeline.playing());
    EXPECT_FALSE(pipeline.paused());

    pipeline.play();
    spin(500);
    EXPECT_TRUE(pipeline.playing());
    EXPECT_LT(pipeline.position(), 2000) << "Play after the end starts from the start";
}

// A file that is no video says so on the terminal, and the player stops rather than playing
// into nothing; no file at all makes no pipeline and nothing plays.
TEST_F(VideoPipelineTest, AFileThatIsNoVideoIsReportedAndNothingPlays) {
    const fs::path damaged = fs::temp_directory_path() / "larkspire-damaged-chapter.mp4";
    std::ofstream(damaged) << "not a video at all";
    testing::internal::CaptureStderr();
    Chapter chapter(damaged);
    chapter.pipeline.play();
    EXPECT_TRUE(waitUntil([&] { return !chapter.pipeline.playing(); }, 5000));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("larkspire: video: "), std::string::npos) << said;
    EXPECT_EQ(chapter.frames(), 0u);
    fs::remove(damaged);

    QtVideoPipeline none("", false, nullptr);
    none.play();
    EXPECT_FALSE(none.playing());
    EXPECT_EQ(none.position(), 0);
}
