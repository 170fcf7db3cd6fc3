#include "story/music/TrackPosition.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/foundation/NSString.h"

namespace {

// The player reports finite, non-negative times. Anything outside the range
// of a 64-bit count is clamped so that the conversion stays defined.
std::int64_t wholeSeconds(double seconds) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (std::isnan(seconds))
        return 0;
    if (seconds >= kLimit)
        return std::numeric_limits<std::int64_t>::max();
    if (seconds < -kLimit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(seconds);
}

int clampToInt(std::int64_t value) {
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

std::string trackPositionText(double seconds) {
    std::int64_t count = wholeSeconds(seconds);
    std::int64_t minutes = count / 60;
    std::int64_t remainder = count - 60 * minutes;
    return stringWithFormat("%02d:%02d", clampToInt(minutes), clampToInt(remainder));
}
