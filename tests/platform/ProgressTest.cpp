#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/NSProgress.h"

namespace {

struct Recorder : NSObject {
    std::vector<double> values;
    std::vector<std::string> keyPaths;
    void observeValueForKeyPath(const std::optional<std::string>& keyPath,
                                const std::shared_ptr<NSObject>&, const NSKeyValueChange& change,
                                void*) override {
        values.push_back(change.newValue);
        keyPaths.push_back(keyPath.value_or(""));
    }
};

}  // namespace

TEST(ProgressTest, InitialOptionNotifiesAtOnceThenEveryChange) {
    auto progress = NSProgress::make();
    progress->setFractionCompleted(0.25);
    auto recorder = std::make_shared<Recorder>();
    progress->addObserver(recorder, "fractionCompleted",
                          NSKeyValueObservingOptionNew | NSKeyValueObservingOptionInitial, nullptr);
    EXPECT_EQ(recorder->values, std::vector<double>{0.25});
    progress->setFractionCompleted(0.5);
    progress->setFractionCompleted(0.5);
    progress->setFractionCompleted(2.0);
    EXPECT_EQ(recorder->values, (std::vector<double>{0.25, 0.5, 1.0}));
    progress->removeObserver(recorder, "fractionCompleted");
    progress->setFractionCompleted(0.0);
    EXPECT_EQ(recorder->values.size(), 3u);
}

TEST(ProgressTest, WithoutInitialOptionNothingIsSentOnRegistration) {
    auto progress = NSProgress::make();
    auto recorder = std::make_shared<Recorder>();
    progress->addObserver(recorder, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    EXPECT_TRUE(recorder->values.empty());
}

TEST(ProgressTest, AGoneObserverIsNotCalledAndChangesFromAWorkerThreadReachLiveOnes) {
    auto progress = NSProgress::make();
    auto kept = std::make_shared<Recorder>();
    auto dropped = std::make_shared<Recorder>();
    progress->addObserver(kept, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    progress->addObserver(dropped, "fractionCompleted", NSKeyValueObservingOptionNew, nullptr);
    dropped.reset();
    std::thread worker([&] {
        for (int i = 1; i <= 10; ++i)
            progress->setFractionCompleted(i / 10.0);
    });
    worker.join();
    ASSERT_EQ(kept->values.size(), 10u);
    EXPECT_DOUBLE_EQ(kept->values.back(), 1.0);
}
