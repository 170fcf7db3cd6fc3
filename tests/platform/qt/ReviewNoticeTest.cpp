#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "QtFixture.h"
#include "platform/qt/QtReviewNotice.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/ReviewNoticeLimit.h"
#include "platform/review/SKStoreReviewController.h"

namespace {

class ReviewNoticeLimitTest : public QtFixture {
protected:
    using Clock = ReviewNoticeLimit::Clock;
    std::filesystem::path stateFile() const { return scratch / "state" / "platform-state.json"; }
    static Clock::time_point day(int n) {
        return Clock::time_point{} + std::chrono::hours(24) * (20000 + n);
    }
};

class QtReviewNoticeTest : public QtFixture {};

}  // namespace

TEST_F(ReviewNoticeLimitTest, AtMostThreeNoticesInAnyYear) {
    ReviewNoticeLimit limit(stateFile());
    EXPECT_TRUE(limit.allowAndRecord(day(0)));
    EXPECT_TRUE(limit.allowAndRecord(day(100)));
    EXPECT_TRUE(limit.allowAndRecord(day(200)));
    EXPECT_FALSE(limit.allowAndRecord(day(300)));
    EXPECT_FALSE(limit.allowAndRecord(day(364)));
    // 365 days after the first, one of the three no longer counts.
    EXPECT_TRUE(limit.allowAndRecord(day(365)));
    EXPECT_FALSE(limit.allowAndRecord(day(366)));
    // The count lives in the file, so a new run sees it.
    EXPECT_FALSE(ReviewNoticeLimit(stateFile()).allowAndRecord(day(400)));
    EXPECT_EQ(ReviewNoticeLimit(stateFile()).recentNotices(day(400)).size(), 3u);
}

TEST_F(ReviewNoticeLimitTest, ANoticeThatCannotBeRecordedIsNotShown) {
    // The state's folder is a file: nothing can be written there.
    std::ofstream(scratch / "blocked") << "x";
    ReviewNoticeLimit limit(scratch / "blocked" / "platform-state.json");
    EXPECT_FALSE(limit.allowAndRecord(day(0)));
}

TEST_F(QtReviewNoticeTest, TheStoreReviewRequestShowsADismissibleNoticeThreeTimesAtMost) {
    showScreen("title");
    SKStoreReviewController::requestReview();
    QPointer<QtReviewNotice> notice = window().reviewNotice();
    ASSERT_FALSE(notice.isNull());
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->findChild<QLabel*>()->text(), "Enjoying the story? Rate it");
    QTest::mouseClick(notice->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return notice.isNull(); }, 1000));

    SKStoreReviewController::requestReview();
    ASSERT_NE(window().reviewNotice(), nullptr);
    QTest::mouseClick(window().reviewNotice()->closeButton(), Qt::LeftButton);
    spin(20);
    SKStoreReviewController::requestReview();
    ASSERT_NE(window().reviewNotice(), nullptr);
    QTest::mouseClick(window().reviewNotice()->closeButton(), Qt::LeftButton);
    spin(20);
    SKStoreReviewController::requestReview();
    EXPECT_EQ(window().reviewNotice(), nullptr);
    // The limit is kept in the platform's own state file.
    EXPECT_EQ(ReviewNoticeLimit(scratch / "config" / "platform-state.json")
                  .recentNotices(ReviewNoticeLimit::Clock::now())
                  .size(),
              3u);
}
