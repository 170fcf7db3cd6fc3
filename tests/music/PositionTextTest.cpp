#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "music/TrackPosition.h"

namespace {

// The player never reports these; they must still not crash or overflow.
TEST(TrackPositionTextTest, TimesOutsideThePlayersRangeStayDefined) {
    EXPECT_EQ(trackPositionText(std::numeric_limits<double>::quiet_NaN()), "00:00");
    EXPECT_EQ(trackPositionText(-0.5), "00:00");
    EXPECT_EQ(trackPositionText(1e30), "2147483647:07");
    EXPECT_EQ(trackPositionText(std::numeric_limits<double>::infinity()), "2147483647:07");
    // The largest minute count that still fits is shown as it is.
    EXPECT_EQ(trackPositionText(2147483647.0 * 60 + 59.5), "2147483647:59");
}

}  // namespace
