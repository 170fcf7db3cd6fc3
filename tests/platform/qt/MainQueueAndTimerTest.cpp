#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "QtFixture.h"
#include "platform/Platform.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"

namespace {

class QtMainQueueTest : public QtFixture {};
class QtTimerTest : public QtFixture {};

}  // namespace

TEST_F(QtMainQueueTest, BlocksRunInPostingOrderAcrossThreadsAndAfterWhatIsAlreadyQueued) {
    std::vector<std::string> order;
    auto post = [&](std::string name) {
        NSOperationQueue::mainQueue().addOperationWithBlock([&, name] { order.push_back(name); });
    };
    post("main first");
    // Each thread posts after the previous one has finished posting.
    std::thread([&] { post("worker A"); }).join();
    std::thread([&] { post("worker B"); }).join();
    NSOperationQueue::mainQueue().addOperationWithBlock([&] {
        order.push_back("main second");
        // Posted from inside a block: runs after everything already queued.
        post("nested");
    });
    post("main third");
    // Nothing runs until the main thread returns to its event loop.
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(waitUntil([&] { return order.size() == 6; }, 2000));
    EXPECT_EQ(order, (std::vector<std::string>{"main first", "worker A", "worker B", "main second",
                                               "main third", "nested"}));
}

TEST_F(QtMainQueueTest, BlocksStillQueuedWhenTheBackendGoesAreDropped) {
    bool ran = false;
    backend->postToMainQueue([&] { ran = true; });
    Platform::uninstall();
    backend.reset();
    spin(50);
    EXPECT_FALSE(ran);
}

TEST_F(QtTimerTest, ARepeatingTimerFiresAtItsIntervalUntilInvalidated) {
    struct Target : NSObject {
        int ticks = 0;
        void tick() { ++ticks; }
    };
    auto target = std::make_shared<Target>();
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.1, target, &Target::tick, nullptr, true);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return target->ticks == 3; }, 2000));
    // Three ticks at 0.1 s: neither early nor much later.
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 900);
    timer->invalidate();
    EXPECT_EQ(backend->scheduledTimerCount(), 0u);
    spin(300);
    EXPECT_EQ(target->ticks, 3);
}

TEST_F(QtTimerTest, AOneShotTimerFiresOnceAndReleasesItsBlock) {
    int fired = 0;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> weakToken = token;
    NSTimer::scheduledTimerWithTimeInterval(0.05, false, [&fired, token](NSTimer&) { ++fired; });
    token.reset();
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }, 1000));
    spin(200);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(weakToken.expired());
    EXPECT_EQ(backend->scheduledTimerCount(), 0u);
}

TEST_F(QtTimerTest, TimersBelongToTheMainThread) {
    std::string failure;
    std::thread([&] {
        try {
            backend->scheduleTimer(1.0, false, [] {});
        } catch (const std::logic_error& error) {
            failure = error.what();
        }
    }).join();
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(backend->scheduledTimerCount(), 0u);
}
