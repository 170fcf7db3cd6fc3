#include <gtest/gtest.h>

#include "SimFixture.h"
#include "platform/foundation/Random.h"

using SimBackendTest = SimFixture;

// The gate's question comes from these draws: a draw at or past the bound would index past
// the questions.
TEST_F(SimBackendTest, RandomDrawsCanBeFixedAndOtherwiseStayBelowTheBound) {
    sim->queueRandomDraws({2, 0});
    EXPECT_EQ(sys::arc4random_uniform(3), 2u);
    EXPECT_EQ(sys::arc4random_uniform(3), 0u);
    int seen[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i) {
        auto draw = sys::arc4random_uniform(3);
        ASSERT_LT(draw, 3u);
        ++seen[draw];
    }
    for (int count : seen)
        EXPECT_GT(count, 700);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(sys::arc4random_uniform(1), 0u);
}
