#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "SimFixture.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Random.h"

using SimBackendTest = SimFixture;

TEST_F(SimBackendTest, MainQueueRunsBlocksFromOtherThreadsInPostingOrderOnlyWhenDrained) {
    std::vector<int> ran;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            NSOperationQueue::mainQueue().addOperationWithBlock([&ran, i] { ran.push_back(i); });
    });
    worker.join();
    NSOperationQueue::mainQueue().addOperationWithBlock([&] { ran.push_back(100); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(sim->pendingBlockCount(), 101u);
    sim->runUntilIdle();
    ASSERT_EQ(ran.size(), 101u);
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(ran[i], i);
}

TEST_F(SimBackendTest, BlocksPostedWhileDrainingRunInTheSameDrainAfterTheOthers) {
    std::vector<std::string> ran;
    NSOperationQueue::mainQueue().addOperationWithBlock([&] {
        ran.push_back("first");
        NSOperationQueue::mainQueue().addOperationWithBlock([&] { ran.push_back("nested"); });
    });
    NSOperationQueue::mainQueue().addOperationWithBlock([&] { ran.push_back("second"); });
    sim->runUntilIdle();
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "nested"}));
}

TEST_F(SimBackendTest, TimersFireOnlyAsTheVirtualClockAdvances) {
    int ticks = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [&](NSTimer&) { ++ticks; });
    sim->runUntilIdle();
    EXPECT_EQ(ticks, 0);
    sim->fastForwardBy(0.999);
    EXPECT_EQ(ticks, 0);
    sim->fastForwardBy(0.001);
    EXPECT_EQ(ticks, 1);
    sim->fastForwardBy(10.0);
    EXPECT_EQ(ticks, 11);
    timer->invalidate();
    sim->fastForwardBy(5.0);
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(sim->scheduledTimerCount(), 0u);
}

TEST_F(SimBackendTest, OneShotTimerFiresOnceAndIsNoLongerValid) {
    int ticks = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(2.0, false, [&](NSTimer&) { ++ticks; });
    sim->fastForwardBy(10.0);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(NSTimer::validTimerCount(), 0u);
}

namespace {
struct Ticker : NSObject {
    int ticks = 0;
    void tick() { ++ticks; }
};
}  // namespace

TEST_F(SimBackendTest, TimerDoesNotKeepItsTargetAliveAndStopsWhenTheTargetIsGone) {
    auto ticker = std::make_shared<Ticker>();
    std::weak_ptr<Ticker> weakTicker = ticker;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, ticker, &Ticker::tick, nullptr, true);
    sim->fastForwardBy(3.0);
    EXPECT_EQ(ticker->ticks, 3);
    ticker.reset();
    EXPECT_TRUE(weakTicker.expired());
    sim->fastForwardBy(1.0);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(sim->scheduledTimerCount(), 0u);
}

TEST_F(SimBackendTest, SleepAdvancesTheClockWithoutRunningAnythingAndIsRecorded) {
    bool ran = false;
    NSOperationQueue::mainQueue().addOperationWithBlock([&] { ran = true; });
    NSThread::sleepForTimeInterval(3.0);
    EXPECT_FALSE(ran);
    EXPECT_DOUBLE_EQ(sim->now(), 3.0);
    EXPECT_EQ(sim->sleeps(), std::vector<double>{3.0});
}

TEST_F(SimBackendTest, RandomDrawsCanBeFixedAndOtherwiseStayBelowTheBound) {
    sim->queueRandomDraws({2, 0});
    EXPECT_EQ(sys::arc4random_uniform(3), 2u);
    EXPECT_EQ(sys::arc4random_uniform(3), 0u);
    int seen[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i)
        ++seen[sys::arc4random_uniform(3)];
    // Each value is drawn; a bound of 3 never yields 3 (the counts would be out of range).
    for (int count : seen)
        EXPECT_GT(count, 700);
    EXPECT_EQ(sys::arc4random_uniform(1), 0u);
}

namespace {
struct Listener : NSObject {
    int calls = 0;
    void heard(const NSNotification&) { ++calls; }
};
}  // namespace

TEST_F(SimBackendTest, NotificationCentreCallsOnlyLiveObserversOfThatObject) {
    auto item = std::make_shared<NSObject>();
    auto other = std::make_shared<NSObject>();
    auto listener = std::make_shared<Listener>();
    auto& center = NSNotificationCenter::defaultCenter();
    center.addObserver(listener, &Listener::heard, "End", item);
    center.postNotificationName("End", other);
    center.postNotificationName("Other", item);
    EXPECT_EQ(listener->calls, 0);
    center.postNotificationName("End", item);
    EXPECT_EQ(listener->calls, 1);

    auto gone = std::make_shared<Listener>();
    center.addObserver(gone, &Listener::heard, "End", item);
    EXPECT_EQ(center.observerCount(), 2u);
    gone.reset();
    center.postNotificationName("End", item);
    EXPECT_EQ(listener->calls, 2);
    EXPECT_EQ(center.observerCount(), 1u);
    item.reset();
    EXPECT_EQ(center.observerCount(), 0u);
}
